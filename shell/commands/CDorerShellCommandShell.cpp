#include "CDorerShellCommandShell.h"

#include <cstdio>
#include <cstdlib>

#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandShell");
}

void CDorerShellCommandShell::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandShell::%s()", "start");
    const CQFString commandLine = CQFString().format("%s %s", mCommand.getCString(), mArguments.getCString());
    // What the shell printed before must come out before the command's own output.
    std::fflush(stdout);
    const int exitStatus = std::system(commandLine.getCString());
    (void)exitStatus;  // the command's own business
    mResult = CDorerShellResult(eShellValid, CQFString());
    reportCompletion(true);
}
