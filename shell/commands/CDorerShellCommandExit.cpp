#include "CDorerShellCommandExit.h"

#include <errno.h>
#include <signal.h>
#include <sys/wait.h>

#include "qf/QFApplication.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandExit");
}

void CDorerShellCommandExit::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandExit::%s()", "start");
    {
        CDorerShellSharedDataLock lock;
        sCurrentState = CQFString();
    }
    if (sServerPid != -1) {
        kill(sServerPid, SIGTERM);
        while (waitpid(sServerPid, nullptr, 0) == -1 && errno == EINTR) {
        }
        sServerPid = -1;
    }
    QFApplication::shutdown(getErrors().empty() ? 0 : 1);
}
