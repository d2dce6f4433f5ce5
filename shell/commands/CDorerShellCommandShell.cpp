#include "CDorerShellCommandShell.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandShell");
}

void CDorerShellCommandShell::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandShell::%s()", "start");
    failUnavailable(OK);
}
