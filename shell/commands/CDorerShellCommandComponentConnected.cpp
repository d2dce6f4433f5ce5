#include "CDorerShellCommandComponentConnected.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandComponentConnected");
}

void CDorerShellCommandComponentConnected::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandComponentConnected::%s()", "start");
    failUnavailable(OK);
}
