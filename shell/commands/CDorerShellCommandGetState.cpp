#include "CDorerShellCommandGetState.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetState");
}

void CDorerShellCommandGetState::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetState::%s()", "start");
    {
        CDorerShellSharedDataLock lock;
        if (sCurrentState.isEmpty()) {
            mResult = CDorerShellResult(eShellProxyDisconnected, CQFString());
        } else {
            CQFString text("#STATE: %state%\n");
            text.replaceAll("%state%", sCurrentState);
            mResult = CDorerShellResult(eShellValid, text);
        }
    }
    if (!mResult.isValid()) addError(ERRCLN_FAILED_GETSTATE);
    reportCompletion(mResult.isValid());
}
