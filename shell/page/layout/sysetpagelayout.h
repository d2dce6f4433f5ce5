// The shared settings page as its writer (the settings server) and its readers see it: the
// object names, the page size and the layout of the access object.
#pragma once

#include <pthread.h>

#include <cstdint>

constexpr uint32_t kDorerPageSize = 8192;

// Default object names; callers pass the names they use.
constexpr const char* kDorerDefaultPageName = "/sysetpage";
constexpr const char* kDorerDefaultPageLockName = "/sysetpage-lock";
// Serialises the creation of the access object between processes.
constexpr const char* kDorerCreateLockName = "/sysetpage-create-lock";

// The access object: a process-shared read-write lock with the writer's change counter and
// time stamp.
struct DorerShAccObj {
    pthread_rwlock_t rwLock;
    uint32_t changeCounter;  // the writer increments it after every rewrite of the page
    uint32_t timeStamp;      // time(NULL) at the last initialisation or write
};
static_assert(sizeof(DorerShAccObj) == sizeof(pthread_rwlock_t) + 8, "lock followed by two u32, no gaps");
