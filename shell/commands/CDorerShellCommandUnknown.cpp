#include "CDorerShellCommandUnknown.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandUnknown");
}

void CDorerShellCommandUnknown::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandUnknown::%s()", "start");
    mResult = CDorerShellResult(eShellSyntaxError, CQFString());
    addError(ERRCLN_BADCOMMAND);
    reportCompletion(false);
}
