#include "CDorerShellCommandVersionInfo.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandVersionInfo");
}

void CDorerShellCommandVersionInfo::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandVersionInfo::%s()", "start");
    failUnavailable(ERRCLN_FAILED_GETVERSIONINFO);
}
