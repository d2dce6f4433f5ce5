#include "CDorerShellCommandSetCb.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandSetCb");
}

void CDorerShellCommandSetCb::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandSetCb::%s()", "start");
    failUnavailable(ERRCLN_FAILED_SETCB);
}
