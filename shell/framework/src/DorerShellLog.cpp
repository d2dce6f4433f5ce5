#include "DorerShellLog.h"

#include <mutex>

#include "qf/QFSyslog.h"

namespace {
std::mutex gMutex;
CQFString gProgramName("cfgshell");
}  // namespace

namespace NDorerShellLog {

void setProgramName(const CQFString& name) {
    std::lock_guard<std::mutex> lock(gMutex);
    gProgramName = name;
}

CQFString getProgramName() {
    std::lock_guard<std::mutex> lock(gMutex);
    return gProgramName;
}

void log(int severity, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vlog(severity, fmt, args);
    va_end(args);
}

void vlog(int severity, const char* fmt, va_list args) {
    CQFString text;
    text.vformat(fmt, args);
    const CQFString program = getProgramName();
    QFSyslog::logMsg(0, severity, "%s : %s", program.getCString(), text.getCString());
}

}  // namespace NDorerShellLog
