#include "CDorerShellCommandStore.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandStore");
}

void CDorerShellCommandStore::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandStore::%s()", "start");
    failUnavailable(ERRCLN_FAILED_STORE);
}
