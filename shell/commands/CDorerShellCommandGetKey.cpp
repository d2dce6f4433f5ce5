#include "CDorerShellCommandGetKey.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetKey");
}

void CDorerShellCommandGetKey::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetKey::%s()", "start");
    failUnavailable(ERRCLN_FAILED_GETKEY);
}
