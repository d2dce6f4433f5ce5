#include "CDorerShellCommandSwitchState.h"

#include "CDSYSOnOffProxy.h"
#include "CDorerShellNotificationConsumer.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandSwitchState");

bool isOnOffConnected() { return CDorerShellCommand::sOnOffProxy && CDorerShellCommand::sOnOffProxy->isConnected(); }

}  // namespace

void CDorerShellCommandSwitchState::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandSwitchState::%s()", "start");
    std::vector<eMarkType> waited = {eOnOffResponseTriggerNewState, eOnOffCurrentOperatingState};
    if (isOutstanding(eDorerAttributeLastStoredChangeID)) waited.push_back(eDorerAttributeLastStoredChangeID);
    if (!isOnOffConnected()) {
        failDisconnected({eDorerAttributeLastStoredChangeID});
        return;
    }
    registerMarks({eOnOffResponseTriggerNewState, eOnOffCurrentOperatingState});
    {
        CDorerShellSharedDataLock lock;
        mResult = CDorerShellResult(eShellTriggerStateFailed,
                                    CQFString().format("#TRANSITION: '%s'->'%s'\n", sCurrentState.getCString(),
                                                       mState.getCString()));
        mSequenceNumber = sOnOffProxy->requestTriggerNewState(sConsumer->getOnOffConsumer(), mState);
    }
    if (mSequenceNumber == -1) {
        failDisconnected(waited);
        return;
    }
    watchAnswer(eOnOffResponseTriggerNewState, waited);
}

void CDorerShellCommandSwitchState::finish() {
    if (isAnswerLost() || isOnOffConnected()) return;
    // The service went away before the new state was confirmed.
    setAnswerLost();
    addError(ERRCLN_FAILED_SETSTATE);
}

bool CDorerShellCommandSwitchState::confirmCompletion(bool reportedOk) {
    const bool ok = CDorerShellServiceCommand::confirmCompletion(reportedOk);
    if (!ok) addError(ERRCLN_FAILED_SETSTATE);
    return ok;
}

void CDorerShellCommandSwitchState::onAnswerMissing() { addError(ERRCLN_FAILED_SETSTATE); }

void CDorerShellCommandSwitchState::failDisconnected(const std::vector<eMarkType>& marks) {
    releaseMarks(marks);
    setAnswerLost();
    addError(ERRCLN_FAILED_SETSTATE);
    mResult = CDorerShellResult(eShellProxyDisconnected, CQFString());
    reportCompletion(false);
}
