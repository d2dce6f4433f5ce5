#include "CDorerShellCommandCheck.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandCheck");
}

void CDorerShellCommandCheck::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandCheck::%s()", "start");
    failUnavailable(ERRCLN_FAILED_CHECK);
}
