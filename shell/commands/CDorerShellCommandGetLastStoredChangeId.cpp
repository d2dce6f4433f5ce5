#include "CDorerShellCommandGetLastStoredChangeId.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetLastStoredChangeId");
}

void CDorerShellCommandGetLastStoredChangeId::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetLastStoredChangeId::%s()", "start");
    failUnavailable(ERRCLN_FAILED_GETLASTSTOREDCHANGEID);
}
