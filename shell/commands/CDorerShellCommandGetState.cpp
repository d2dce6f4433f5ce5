#include "CDorerShellCommandGetState.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetState");
}

void CDorerShellCommandGetState::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetState::%s()", "start");
    failUnavailable(ERRCLN_FAILED_GETSTATE);
}
