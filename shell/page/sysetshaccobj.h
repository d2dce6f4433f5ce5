// The access object "/sysetpage-lock": a process-shared read-write lock with the writer's change
// counter and time stamp, opened or created (serialised by "/sysetpage-create-lock") by whoever
// attaches first. The lock functions serve the process-local lock of the reader as well.
#pragma once

#include "sysetpagelayout.h"

// Opens (or creates and initialises) and maps the access object; 0 or -1. With the environment
// variable SYSETPAGE_DEBUG_ORA set, runs the instrumented attach instead.
int DorerShAccObj_attach(const char* name, DorerShAccObj** object);
int DorerShAccObj_attachImplRelease(const char* name, DorerShAccObj** object);
int DorerShAccObj_attachImplDebug(const char* name, DorerShAccObj** object);

// Process-shared lock, counter 0, time stamp now; the lock initialisation's result.
int DorerShAccObj_init(DorerShAccObj* object);
void DorerShAccObj_setCurrentTime(DorerShAccObj* object);

// timeout -1 waits without limit; any other value until time(NULL) + timeout seconds. The
// platform call's result (0 or an error number).
int DorerShAccObj_timedLockROnly(DorerShAccObj* object, int timeout);
int DorerShAccObj_timedLockWrite(DorerShAccObj* object, int timeout);
int DorerShAccObj_unlock(DorerShAccObj* object);
