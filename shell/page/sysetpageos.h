// Thin wrappers around the operating-system calls of the shared-page code. Interruptible calls
// are repeated while they fail with EINTR (the second attempt logs one WARNING); failures log
// an ERROR with errno. Truth-valued wrappers return 1 on success and 0 on failure.
#pragma once

#include <semaphore.h>
#include <sys/types.h>

#include <cstddef>

int SYSETPAGE_OPEN_SHARED_MEMORY_RONLY(const char* name);
int SYSETPAGE_OPEN_SHARED_MEMORY_RWRITE(const char* name);
int SYSETPAGE_CREATE_SHARED_MEMORY(const char* name);
int SYSETPAGE_RESIZE_SHARED_MEMORY(int fd, off_t size);
int SYSETPAGE_CLOSE_SHARED_MEMORY(int fd);

// SEM_FAILED on failure.
sem_t* DORER_OPEN_SEMAPHORE(const char* name);
int DORER_WAIT_FOR_UNLOCK_SEMAPHORE(sem_t* semaphore);
int DORER_UNLOCK_SEMAPHORE(sem_t* semaphore);
int DORER_CLOSE_SEMAPHORE(sem_t* semaphore);

// The page mapping (read-only, private) and the access-object mapping (read-write, shared),
// both from offset 0; null on failure. Unmapping returns 1/0 and logs nothing.
const void* DorerPageOs_mapPage(int fd, size_t size);
void* DorerPageOs_mapAccessObject(int fd, size_t size);
int DorerPageOs_unmap(const void* address, size_t size);

// Size of the object behind fd, or -1.
off_t DorerPageOs_objectSize(int fd);

// The raw calls behind the wrappers. Tests replace entries to inject failures such as EINTR;
// everything else leaves them alone.
struct DorerPageOsCalls {
    int (*shmOpen)(const char* name, int flags, mode_t mode);
    int (*ftruncate)(int fd, off_t size);
    int (*close)(int fd);
    sem_t* (*semOpen)(const char* name, int flags, mode_t mode, unsigned value);
    int (*semWait)(sem_t* semaphore);
    int (*semPost)(sem_t* semaphore);
    int (*semClose)(sem_t* semaphore);
};
DorerPageOsCalls& DorerPageOs_calls();
