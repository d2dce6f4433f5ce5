#include "CDorerShellNotificationConsumer.h"

#include "CDorerShellCommand.h"
#include "CDorerShellMain.h"
#include "CDorerShellMarks.h"
#include "DorerShellLog.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings2_log");
}

void CDorerShellNotificationConsumer::triggerAction(bool ok) {
    {
        CDorerShellSharedDataLock lock;
        CDorerShellMarks* marks = lock.getMarks();
        if (marks && !marks->isEmpty()) return;
    }
    const char* outcome = ok ? "Success" : "Failed";
    CQFTraceScope(kScope, "triggerAction")
        .sendFormattedMessage("CDorerShellNotificationConsumer::%s() : Sequence result: '%s'", "triggerAction", outcome);
    NDorerShellLog::log(5, "CDorerShellNotificationConsumer::%s() : Sequence result: '%s'", "triggerAction", outcome);
    mOwner.commandFinished(ok);
}
