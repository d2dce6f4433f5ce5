#include "CDorerShellCommandGetCb.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetCb");
}

void CDorerShellCommandGetCb::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetCb::%s()", "start");
    failUnavailable(ERRCLN_FAILED_GETCB);
}
