#include "CDorerShellCommandGetCbList.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetCbList");
}

void CDorerShellCommandGetCbList::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetCbList::%s()", "start");
    failUnavailable(ERRCLN_FAILED_GETCBLIST);
}
