#include "CDorerShellNotificationConsumer.h"

#include <algorithm>
#include <cstdarg>

#include "CDSYSDorerAdminProxy.h"
#include "CDSYSOnOffProxy.h"
#include "CDorerShellCommand.h"
#include "CDorerShellMarks.h"
#include "DorerShellLog.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings2_log");
constexpr uint32_t kTriggerTimeoutMs = 30000;
constexpr uint32_t kStoreTimeoutMs = 10000;

// One line to the trace scope and, in the same words, to the system log.
void report(bool isError, const char* function, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
void report(bool isError, const char* function, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    CQFString text;
    text.vformat(fmt, args);
    va_end(args);
    const CQFTraceScope trace(kScope, function);
    if (isError) {
        trace.sendFormattedError("%s", text.getCString());
    } else {
        trace.sendFormattedMessage("%s", text.getCString());
    }
    NDorerShellLog::log(isError ? 1 : 5, "%s", text.getCString());
}

// Closes one mark of the type; whether it was outstanding.
bool closeMark(const CDorerShellSharedDataLock& lock, eMarkType type) {
    CDorerShellMarks* marks = lock.getMarks();
    return marks && marks->unregisterMark(type, 0);
}

bool isProxy(const CQFProxyBase* proxy, const CQFProxyBase* shared) { return shared && proxy == shared; }

}  // namespace

CDorerShellNotificationConsumer::CDorerShellNotificationConsumer(IDorerShellCompletionListener& owner) : mOwner(owner) {}

CDorerShellNotificationConsumer::~CDorerShellNotificationConsumer() {
    CDorerShellSharedDataLock lock;
    if (CDorerShellCommand::sOnOffProxy) CDorerShellCommand::sOnOffProxy->freeProxyInstance(&mConnectListener);
    CDorerShellCommand::sOnOffProxy = nullptr;
    if (CDorerShellCommand::sAdminProxy) CDorerShellCommand::sAdminProxy->freeProxyInstance(&mConnectListener);
    CDorerShellCommand::sAdminProxy = nullptr;
}

void CDorerShellNotificationConsumer::componentConnected(CQFProxyBase* proxy) {
    report(false, "componentConnected", "CDorerShellNotificationConsumer::%s()", "componentConnected");
    bool ok = false;
    {
        CDorerShellSharedDataLock lock;
        if (isProxy(proxy, CDorerShellCommand::sAdminProxy)) {
            ok = closeMark(lock, eAdminComponentConnected);
        } else if (isProxy(proxy, CDorerShellCommand::sOnOffProxy)) {
            CDorerShellCommand::sOnOffProxy->setNotification(DSYSOnOff::UPD_ID_currentOperatingState, &mOnOffConsumer);
            ok = closeMark(lock, eOnOffComponentConnected);
        }
    }
    triggerAction(ok);
}

void CDorerShellNotificationConsumer::componentDisconnected(CQFProxyBase* proxy) {
    report(false, "componentDisconnected", "CDorerShellNotificationConsumer::%s()", "componentDisconnected");
    {
        CDorerShellSharedDataLock lock;
        if (isProxy(proxy, CDorerShellCommand::sAdminProxy)) {
            closeMark(lock, eAdminComponentConnected);
        } else if (isProxy(proxy, CDorerShellCommand::sOnOffProxy)) {
            closeMark(lock, eOnOffComponentConnected);
            // The state of a server that went away; the next one tells its own on connection.
            CDorerShellCommand::sCurrentState = CQFString();
        }
    }
    triggerAction(true);
}

void CDorerShellNotificationConsumer::processEvent(CDSYSOnOffNotificationEvent& event) {
    const CDSYSOnOffProxy* proxy = static_cast<const CDSYSOnOffProxy*>(event.mProxy);
    bool ok = false;
    switch (event.mUpdateId) {
        case DSYSOnOff::UPD_ID_responseTriggerNewState: {
            const bool triggerOk = proxy->getTriggerOk();
            report(false, "processEvent",
                   "CDorerShellNotificationConsumer::%s() : DSYSOnOff::UPD_ID_responseTriggerNewState : %s",
                   "processEvent", triggerOk ? "True" : "False");
            CDorerShellSharedDataLock lock;
            const bool awaited = closeMark(lock, eOnOffResponseTriggerNewState);
            ok = triggerOk;
            if (triggerOk) {
                mTimer.start(kTriggerTimeoutMs, 1);
            } else if (awaited) {
                // A refused switch brings neither a new state nor a stored change id: the
                // sequence ends now, and as failed whatever its later steps report.
                mSequenceFailed = true;
                closeMark(lock, eOnOffCurrentOperatingState);
                closeMark(lock, eDorerAttributeLastStoredChangeID);
            }
            break;
        }
        case DSYSOnOff::UPD_ID_currentOperatingState: {
            const CQFString state = proxy->getCurrentOperatingState();
            report(false, "processEvent",
                   "CDorerShellNotificationConsumer::%s() : DSYSOnOff::UPD_ID_currentOperatingState : %s",
                   "processEvent", state.getCString());
            CDorerShellSharedDataLock lock;
            ok = closeMark(lock, eOnOffCurrentOperatingState);
            CDorerShellCommand::sCurrentState = state;
            break;
        }
        default: break;
    }
    triggerAction(ok);
}

void CDorerShellNotificationConsumer::processEvent(CDSYSDorerAdminNotificationEvent& event) {
    const CDSYSDorerAdminProxy* proxy = static_cast<const CDSYSDorerAdminProxy*>(event.mProxy);
    const char* outcome = event.mResultType == QFServices::eResultType_Ok ? "Success" : "Failure";
    const char* name = nullptr;
    eMarkType mark = eAdminStorageInfo;
    switch (event.mUpdateId) {
        case DSYSDorerAdmin::UPD_ID_responseStorageInfo: name = "UPD_ID_responseStorageInfo"; mark = eAdminStorageInfo; break;
        case DSYSDorerAdmin::UPD_ID_responseReload: name = "UPD_ID_responseReload"; mark = eAdminReload; break;
        case DSYSDorerAdmin::UPD_ID_responseActionLog: name = "UPD_ID_responseActionLog"; mark = eAdminActionLog; break;
        case DSYSDorerAdmin::UPD_ID_responseVersionInfo: name = "UPD_ID_responseVersionInfo"; mark = eAdminVersionInfo; break;
        default:
            report(true, "processEvent", "CDorerShellNotificationConsumer::%s() : Unexpected CDSYSDorerAdminNotificationEvent( %u )",
                   "processEvent", event.mUpdateId);
            triggerAction(false);
            return;
    }
    report(false, "processEvent", "CDorerShellNotificationConsumer::%s() : DSYSDorerAdmin::%s : %s", "processEvent", name,
           outcome);
    bool ok;
    {
        CDorerShellSharedDataLock lock;
        ok = closeMark(lock, mark);
        switch (event.mUpdateId) {
            case DSYSDorerAdmin::UPD_ID_responseStorageInfo: CDorerShellCommand::sStorageInfo = proxy->getInfo(); break;
            case DSYSDorerAdmin::UPD_ID_responseReload: CDorerShellCommand::sReloadResult = proxy->getSuccess(); break;
            case DSYSDorerAdmin::UPD_ID_responseActionLog: CDorerShellCommand::sActionLog = proxy->getLog(); break;
            default:
                CDorerShellCommand::sCompiledVersion = proxy->getCompiledVersion();
                CDorerShellCommand::sStoredVersions = proxy->getStoredVersions();
                break;
        }
    }
    triggerAction(ok);
}

void CDorerShellNotificationConsumer::responseStoredChange(int32_t cookie, int32_t changeId) {
    bool ok = false;
    {
        CDorerShellSharedDataLock lock;
        report(false, "responseStoredChange", "CDorerShellNotificationConsumer::%s() : old( %d ) new( %d )",
               "responseStoredChange", CDorerShellCommand::sPendingChangeId, changeId);
        mTimer.start(kStoreTimeoutMs, 1);
        if (cookie == CDorerShellCommand::sStoreCookie) {
            ok = closeMark(lock, eClientResponsePendingChangeId);
            CDorerShellCommand::sPendingChangeId = changeId;
            // A refused store is never stored; one already reported stored waits no longer.
            if (ok && (changeId == -1 || CDorerShellCommand::sLastStoredChangeId >= changeId)) {
                closeMark(lock, eDorerAttributeLastStoredChangeID);
            }
        } else {
            report(false, "responseStoredChange",
                   "CDorerShellNotificationConsumer::%s() : cookie check failed( need: %d, got: %d )",
                   "responseStoredChange", CDorerShellCommand::sStoreCookie, cookie);
        }
    }
    triggerAction(ok);
}

void CDorerShellNotificationConsumer::onLastStoredChangeId(int32_t changeId) {
    bool closed;
    {
        CDorerShellSharedDataLock lock;
        report(false, "onLastStoredChangeId", "CDorerShellNotificationConsumer::%s() : old( %d ) new( %d )",
               "onLastStoredChangeId", CDorerShellCommand::sLastStoredChangeId, changeId);
        CDorerShellCommand::sLastStoredChangeId = changeId;
        // The wait ends when the changes of the last store are stored: not before its answer
        // came, and not on an older value (such as a reconnected server's first report).
        const CDorerShellMarks* marks = lock.getMarks();
        const bool answered =
            marks && std::find(marks->getMarks().begin(), marks->getMarks().end(),
                               CDorerShellMarks::SMark{eClientResponsePendingChangeId, 0}) == marks->getMarks().end();
        closed = answered && changeId >= CDorerShellCommand::sPendingChangeId &&
                 closeMark(lock, eDorerAttributeLastStoredChangeID);
    }
    if (closed) triggerAction(true);
}

void CDorerShellNotificationConsumer::onTimer() {
    bool closed;
    {
        CDorerShellSharedDataLock lock;
        closed = closeMark(lock, eOnOffCurrentOperatingState) || closeMark(lock, eDorerAttributeLastStoredChangeID);
    }
    triggerAction(closed);
}

void CDorerShellNotificationConsumer::triggerAction(bool ok) {
    {
        CDorerShellSharedDataLock lock;
        CDorerShellMarks* marks = lock.getMarks();
        if (marks && !marks->isEmpty()) return;
        mTimer.stop();
        ok = ok && !mSequenceFailed;
        mSequenceFailed = false;
    }
    report(false, "triggerAction", "CDorerShellNotificationConsumer::%s() : Sequence result: '%s'", "triggerAction",
           ok ? "Success" : "Failed");
    mOwner.commandFinished(ok);
}
