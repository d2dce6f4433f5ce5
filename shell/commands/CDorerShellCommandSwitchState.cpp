#include "CDorerShellCommandSwitchState.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandSwitchState");
}

void CDorerShellCommandSwitchState::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandSwitchState::%s()", "start");
    failUnavailable(ERRCLN_FAILED_SETSTATE);
}
