#include "sysetpageos.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sysetpagelog.h"

namespace {

sem_t* semOpenCreate(const char* name, int flags, mode_t mode, unsigned value) {
    return sem_open(name, flags, mode, value);
}

DorerPageOsCalls g_calls = {shm_open, ftruncate, close, semOpenCreate, sem_wait, sem_post, sem_close};

// Runs call until it succeeds or fails with something other than EINTR; the second attempt
// logs one WARNING under the wrapper's name.
template <class Call>
bool retryOnEintr(const char* wrapper, const char* condition, Call call) {
    for (int attempt = 1;; ++attempt) {
        if (attempt == 2) DorerPageLog_write(DORER_PAGE_LOG_WARNING, wrapper, "%s", condition);
        if (call()) return true;
        if (errno != EINTR) return false;
    }
}

void logFailure(const char* wrapper, const char* call) {
    int error = errno;
    DorerPageLog_write(DORER_PAGE_LOG_ERROR, wrapper, "%s(): failed with <%d|%s>", call, error, std::strerror(error));
}

int openSharedMemory(const char* wrapper, const char* name, int flags, mode_t mode, bool warnWhenMissing) {
    // The host's shm_open does not survive a missing name; the target's refuses it.
    int fd = -1;
    if (name != nullptr) {
        fd = g_calls.shmOpen(name, flags, mode);
    } else {
        errno = EINVAL;
    }
    if (fd >= 0) return fd;
    int error = errno;
    const char* shown = name != nullptr ? name : "NULL";
    if (warnWhenMissing && error == ENOENT) {
        DorerPageLog_write(DORER_PAGE_LOG_WARNING, wrapper,
                           "shm_open('%s'): failed as shared memory object does not exist, to be created", shown);
    } else {
        DorerPageLog_write(DORER_PAGE_LOG_ERROR, wrapper, "shm_open('%s'): failed with <%d|%s>", shown, error,
                           std::strerror(error));
    }
    return -1;
}

}  // namespace

DorerPageOsCalls& DorerPageOs_calls() { return g_calls; }

int SYSETPAGE_OPEN_SHARED_MEMORY_RONLY(const char* name) {
    return openSharedMemory(__func__, name, O_RDONLY, 0444, true);
}

int SYSETPAGE_OPEN_SHARED_MEMORY_RWRITE(const char* name) {
    return openSharedMemory(__func__, name, O_RDWR, 0222, true);
}

int SYSETPAGE_CREATE_SHARED_MEMORY(const char* name) {
    return openSharedMemory(__func__, name, O_RDWR | O_CREAT, 0222, false);
}

int SYSETPAGE_RESIZE_SHARED_MEMORY(int fd, off_t size) {
    if (retryOnEintr(__func__, "SYSETPAGE_EINTR_COND", [&] { return g_calls.ftruncate(fd, size) == 0; })) return 1;
    logFailure(__func__, "ftruncate");
    return 0;
}

int SYSETPAGE_CLOSE_SHARED_MEMORY(int fd) {
    if (retryOnEintr(__func__, "SYSETPAGE_COND_EINTR", [&] { return g_calls.close(fd) == 0; })) return 1;
    logFailure(__func__, "close");
    return 0;
}

sem_t* DORER_OPEN_SEMAPHORE(const char* name) {
    sem_t* semaphore = SEM_FAILED;
    if (retryOnEintr(__func__, "SYSETPAGE_COND_EINTR", [&] {
            semaphore = g_calls.semOpen(name, O_CREAT, 0600, 1);
            return semaphore != SEM_FAILED;
        })) {
        return semaphore;
    }
    logFailure(__func__, "sem_open");
    return SEM_FAILED;
}

int DORER_WAIT_FOR_UNLOCK_SEMAPHORE(sem_t* semaphore) {
    if (retryOnEintr(__func__, "SYSETPAGE_COND_EINTR", [&] { return g_calls.semWait(semaphore) == 0; })) return 1;
    logFailure(__func__, "sem_wait");
    return 0;
}

int DORER_UNLOCK_SEMAPHORE(sem_t* semaphore) {
    if (retryOnEintr(__func__, "SYSETPAGE_COND_EINTR", [&] { return g_calls.semPost(semaphore) == 0; })) return 1;
    logFailure(__func__, "sem_post");
    return 0;
}

int DORER_CLOSE_SEMAPHORE(sem_t* semaphore) {
    if (g_calls.semClose(semaphore) == 0) return 1;
    logFailure(__func__, "sem_close");
    return 0;
}

const void* DorerPageOs_mapPage(int fd, size_t size) {
    void* address = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    return address != MAP_FAILED ? address : nullptr;
}

void* DorerPageOs_mapAccessObject(int fd, size_t size) {
    void* address = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return address != MAP_FAILED ? address : nullptr;
}

int DorerPageOs_unmap(const void* address, size_t size) {
    return munmap(const_cast<void*>(address), size) == 0 ? 1 : 0;
}

off_t DorerPageOs_objectSize(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 ? info.st_size : -1;
}
