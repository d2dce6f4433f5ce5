// Diagnosis aids of the instrumented access-object attach: a guard area that must stay intact,
// snapshots of the creation semaphore at each check point, simulated sem_post failures, and the
// dumps of all of it to the system log. Switched on by environment variables.
#pragma once

#include <semaphore.h>

#include <cstdint>

constexpr int kDorerDebugGuardSize = 64;
constexpr int kDorerDebugMaxSnapshots = 8;
constexpr int kDorerDebugSnapshotNameLength = 24;

struct DorerPageDebugSnapshot {
    char name[kDorerDebugSnapshotNameLength + 1];
    uint32_t semWords[6];  // o.count, o.owner, refcnt, dev, ino, link
    const sem_t* semaphore;
    int error;
};

struct DorerPageDebugContext {
    bool simuGuardCorrupt;
    uint8_t guard[kDorerDebugGuardSize];
    int simu_sem_post;
    bool simu_sem_desc;
    bool is_verbose;
    int semPostFailuresSimulated;
    int fakeSemCount;
    unsigned snapshotCount;
    DorerPageDebugSnapshot snapshots[kDorerDebugMaxSnapshots];
};

// Fills the guard and reads the SYSETPAGE_DEBUG_* switches from the environment.
void DorerPageDebug_contextInit(DorerPageDebugContext* context);

// Simulated corruption, guard verification and a snapshot, in that order.
void DorerPageDebug_checkPoint(DorerPageDebugContext* context, const char* name, const sem_t* semaphore,
                               const char* function, int line);

void DorerPageDebug_guardSimuCB(DorerPageDebugContext* context);
// 1 while the guard is intact; else logs where and dumps it, and returns 0.
int DorerPageDebug_guardVerify(const DorerPageDebugContext* context, const char* function, int line);
void DorerPageDebug_guardDump(const DorerPageDebugContext* context);
void DorerPageDebug_snapshot(DorerPageDebugContext* context, const char* name, const sem_t* semaphore);

// One attempt to post the semaphore: a simulated EBADF failure while the configured count has
// not been reached, else the real post. 1/0.
int DorerPageDebug_UnlockSemaphore(DorerPageDebugContext* context, sem_t* semaphore);

void DorerPageDebug_contextDump(const DorerPageDebugContext* context);
