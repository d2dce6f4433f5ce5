#include "CDorerShellCommandGetKeyList.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetKeyList");
}

void CDorerShellCommandGetKeyList::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetKeyList::%s()", "start");
    mResult = listNames(mPattern, DorerDataNode::Key, eShellKeyNotFound);
    complete(ERRCLN_FAILED_GETKEYLIST);
}
