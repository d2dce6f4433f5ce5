#include "CDorerShellCommandGetAdjList.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetAdjList");
}

void CDorerShellCommandGetAdjList::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetAdjList::%s()", "start");
    mResult = listNames(mPattern, kAdjustKinds, eShellAdjNotFound);
    complete(ERRCLN_FAILED_GETADJLIST);
}
