// Operating-system services of the framework.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "qf/CQFString.h"

class QFOperatingSystem {
public:
    // Sleeps the whole time, resuming after interruptions.
    static void sleepMs(uint32_t milliseconds);
    static pid_t getCurrentPID();
    // Starts program (looked up on PATH when it has no slash) with args (args[0] is the
    // program's name as it sees it); the child's pid, or -1 with errno set.
    static pid_t spawnProcess(const CQFString& program, const std::vector<CQFString>& args);
    // Thread priorities are recorded per thread, not applied: the host gives unprivileged
    // processes no real-time priorities. True for a priority in [sNormalPriority, sHighestPriority].
    static bool setCurrentThreadPriority(int priority);
    static int getCurrentThreadPriority();

    static const int sNormalPriority;
    static const int sHighestPriority;
    static const size_t sDefaultStackSize;
};
