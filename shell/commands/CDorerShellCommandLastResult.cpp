#include "CDorerShellCommandLastResult.h"

#include "CDSYSDorerAdminProxy.h"
#include "CDorerShellNotificationConsumer.h"
#include "NDorerShellResources.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandLastResult");

bool isAdminConnected() { return CDorerShellCommand::sAdminProxy && CDorerShellCommand::sAdminProxy->isConnected(); }

}  // namespace

void CDorerShellCommandLastResult::prepare() {
    if (isAdminConnected()) {
        registerMarks({eAdminActionLog});
    } else {
        mResult = CDorerShellResult(eShellProxyDisconnected, CQFString());
    }
}

void CDorerShellCommandLastResult::start() {
    const CQFTraceScope trace(kScope, "start");
    trace.sendFormattedMessage("CDorerShellCommandLastResult::%s()", "start");
    bool requested = false;
    {
        CDorerShellSharedDataLock lock;
        CDorerShellMarks* marks = lock.getMarks();
        if (marks && !marks->isEmpty()) {
            mResult = CDorerShellResult(eShellValid, CQFString());
            requested = sAdminProxy->requestActionLog(sConsumer->getAdminConsumer()) != -1;
        } else {
            trace.sendFormattedMessage("CDorerShellCommandLastResult::%s() : marks are empty", "start");
        }
    }
    if (requested) {
        watchAnswer(eAdminActionLog, {eAdminActionLog});
    } else if (mResult.isValid()) {
        releaseMarks({eAdminActionLog});
        setAnswerLost();
        mResult = CDorerShellResult(eShellAdminRequestFailed, CQFString());
    }
    reportCompletion(mResult.isValid());
}

void CDorerShellCommandLastResult::finish() {
    CQFTraceScope(kScope, "finish").sendFormattedMessage("CDorerShellCommandLastResult::%s()", "finish");
    if (!isAnswerLost() && mResult.isValid() && !isAdminConnected()) {
        // The answer was the framework's for a service that went away: no log came.
        setAnswerLost();
        mResult = CDorerShellResult(eShellAdminRequestFailed, CQFString());
    }
    collectServerErrors();
    CQFString text = mPrefix;
    const std::vector<EErrorId> errors = getErrors();
    // Without the action log an empty list is no "OK": the error line stands alone.
    if (errors.empty() && !mResult.isValid()) {
        mResult = CDorerShellResult(mResult.getError(), CQFString());
        return;
    }
    if (errors.empty()) text.append("OK");
    for (size_t i = 0; i < errors.size(); ++i) {
        if (i) text.append(',');
        text.append(NDorerShellResources::toString(errors[i]));
    }
    clearErrors();
    // Without the action log the list goes on the error line of the reason.
    mResult = CDorerShellResult(mResult.getError(), text);
}
