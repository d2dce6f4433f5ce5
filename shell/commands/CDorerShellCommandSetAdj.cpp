#include "CDorerShellCommandSetAdj.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandSetAdj");
}

void CDorerShellCommandSetAdj::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandSetAdj::%s()", "start");
    failUnavailable(ERRCLN_FAILED_SETADJ);
}
