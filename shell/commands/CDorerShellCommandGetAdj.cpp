#include "CDorerShellCommandGetAdj.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetAdj");
}

void CDorerShellCommandGetAdj::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetAdj::%s()", "start");
    failUnavailable(ERRCLN_FAILED_GETADJ);
}
