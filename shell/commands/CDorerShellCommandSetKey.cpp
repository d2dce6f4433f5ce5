#include "CDorerShellCommandSetKey.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandSetKey");
}

void CDorerShellCommandSetKey::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandSetKey::%s()", "start");
    failUnavailable(ERRCLN_FAILED_SETKEY);
}
