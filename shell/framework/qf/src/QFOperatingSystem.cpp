#include "qf/QFOperatingSystem.h"

#include <errno.h>
#include <spawn.h>
#include <unistd.h>

#include "hu/backoff.h"

extern char** environ;

const int QFOperatingSystem::sNormalPriority = 10;
const int QFOperatingSystem::sHighestPriority = 63;
const size_t QFOperatingSystem::sDefaultStackSize = 256 * 1024;

namespace {
thread_local int tPriority = QFOperatingSystem::sNormalPriority;
}

void QFOperatingSystem::sleepMs(uint32_t milliseconds) { hu::sleepMs(static_cast<long>(milliseconds)); }

pid_t QFOperatingSystem::getCurrentPID() { return getpid(); }

pid_t QFOperatingSystem::spawnProcess(const CQFString& program, const std::vector<CQFString>& args) {
    std::vector<char*> argv;
    for (const CQFString& a : args) argv.push_back(const_cast<char*>(a.getCString()));
    if (argv.empty()) argv.push_back(const_cast<char*>(program.getCString()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, program.getCString(), nullptr, nullptr, argv.data(), environ);
    if (rc != 0) {
        errno = rc;
        return -1;
    }
    return pid;
}

bool QFOperatingSystem::setCurrentThreadPriority(int priority) {
    if (priority < sNormalPriority || priority > sHighestPriority) return false;
    tPriority = priority;
    return true;
}

int QFOperatingSystem::getCurrentThreadPriority() { return tPriority; }
