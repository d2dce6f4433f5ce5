#include "CDorerShellCommandReload.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandReload");
}

void CDorerShellCommandReload::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandReload::%s()", "start");
    failUnavailable(ERRCLN_FAILED_GETRELOAD);
}
