#include "CDorerShellCommandGetLastStoredChangeId.h"

#include "CzoqDorerClientStore.h"
#include "DorerShellFormat.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetLastStoredChangeId");

bool isStoreConnected() { return CDorerShellCommand::sClientStore && CDorerShellCommand::sClientStore->isConnected(); }
}  // namespace

void CDorerShellCommandGetLastStoredChangeId::start() {
    const CQFTraceScope trace(kScope, "start");
    trace.sendFormattedMessage("CDorerShellCommandGetLastStoredChangeId::%s()", "start");
    if (!isStoreConnected()) {
        trace.sendFormattedMessage("CDorerShellCommandGetLastStoredChangeId::%s() : client proxy is disconnected.",
                                   "start");
        mResult = CDorerShellResult(eShellProxyDisconnected, CQFString());
        addError(ERRCLN_FAILED_GETLASTSTOREDCHANGEID);
    } else {
        mResult = CDorerShellResult(eShellValid, CQFString());
    }
    reportCompletion(mResult.isValid());
}

void CDorerShellCommandGetLastStoredChangeId::finish() {
    if (!isStoreConnected()) return;
    CDorerShellSharedDataLock lock;
    CQFString text("#LAST STORED CHANGE_ID=%changeID%\n");
    text.replaceAll("%changeID%", NDorerShellFormat::formatChangeId(sLastStoredChangeId));
    mResult = CDorerShellResult(eShellValid, text);
}
