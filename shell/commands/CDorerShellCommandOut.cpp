#include "CDorerShellCommandOut.h"

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandOut");
const int kOpenFlags = CQFFileHandle::eReadWrite | CQFFileHandle::eCreate | CQFFileHandle::eTruncate;  // 0x302
}  // namespace

void CDorerShellCommandOut::start() {
    if (!mOutFile.isOpen()) {
        if (openOut()) mResult = CDorerShellResult(eShellValid, "#FILE OPENED\n");
    } else if (mNewPath == mCurrentPath) {
        mResult = CDorerShellResult(eShellValid, "#FILE OPENED\n");
    } else if (!mNewPath.isValid()) {
        if (closeOut()) mResult = CDorerShellResult(eShellValid, "#FILE CLOSED\n");
    } else if (closeOut() && openOut()) {
        mResult = CDorerShellResult(eShellValid, "#FILE OPENED\n");
    }
    if (!mResult.isValid()) addError(ERRCLN_FAILED_OUT);
    reportCompletion(mResult.isValid());
}

bool CDorerShellCommandOut::openOut() {
    const bool opened = mOutFile.open(mNewPath, kOpenFlags);
    CQFTraceScope(kScope, "openOut")
        .sendFormattedMessage("CDorerShellCommandOut::%s() : output file '%s' open %s", "openOut", mNewPath.getCString(),
                              opened ? "Success" : "Failed");
    if (!opened) mOutFile.close();
    return opened;
}

bool CDorerShellCommandOut::closeOut() {
    if (!mOutFile.isOpen()) return false;
    const bool closed = mOutFile.close();
    CQFTraceScope(kScope, "closeOut")
        .sendFormattedMessage("CDorerShellCommandOut::%s() : output file '%s' closed %s", "closeOut",
                              mCurrentPath.getCString(), closed ? "Success" : "Failed");
    return closed;
}
