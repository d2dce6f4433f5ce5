#include "CDorerShellCommandStorageInfo.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandStorageInfo");
}

void CDorerShellCommandStorageInfo::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandStorageInfo::%s()", "start");
    failUnavailable(ERRCLN_FAILED_GETSTORAGEINFO);
}
