#include "CDorerShellCommandSysetsrv.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandSysetsrv");
}

void CDorerShellCommandSysetsrv::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandSysetsrv::%s()", "start");
    failUnavailable(ERRCLN_FAILED_SYSETSRV);
}
