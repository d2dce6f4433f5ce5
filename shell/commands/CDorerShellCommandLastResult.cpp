#include "CDorerShellCommandLastResult.h"

#include "CDorerShellMarks.h"
#include "NDorerShellResources.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandLastResult");
}

void CDorerShellCommandLastResult::prepare() {
    // Without a connected Admin proxy the action log cannot be asked for.
    mResult = CDorerShellResult(eShellProxyDisconnected, CQFString());
}

void CDorerShellCommandLastResult::start() {
    const CQFTraceScope trace(kScope, "start");
    trace.sendFormattedMessage("CDorerShellCommandLastResult::%s()", "start");
    {
        CDorerShellSharedDataLock lock;
        CDorerShellMarks* marks = lock.getMarks();
        if (!marks || marks->isEmpty()) {
            trace.sendFormattedMessage("CDorerShellCommandLastResult::%s() : marks are empty", "start");
        }
    }
    reportCompletion(mResult.isValid());
}

void CDorerShellCommandLastResult::finish() {
    CQFTraceScope(kScope, "finish").sendFormattedMessage("CDorerShellCommandLastResult::%s()", "finish");
    collectServerErrors();
    CQFString text = mPrefix;
    const std::vector<EErrorId> errors = getErrors();
    if (errors.empty()) text.append("OK");
    for (size_t i = 0; i < errors.size(); ++i) {
        if (i) text.append(',');
        text.append(NDorerShellResources::toString(errors[i]));
    }
    clearErrors();
    // A disconnected proxy keeps its code, so the list is printed on its error line.
    mResult = CDorerShellResult(mResult.mError == eShellProxyDisconnected ? eShellProxyDisconnected : eShellValid, text);
}
