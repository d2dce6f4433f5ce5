#include "sysetshaccobj.h"

#include <semaphore.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "sysetpagedebug.h"
#include "sysetpagelog.h"
#include "sysetpageos.h"

namespace {

constexpr const char* kSource = "sysetshaccobj";
constexpr int kPostAttempts = 5;
constexpr useconds_t kPostRetryDelayUs = 50000;

void requireObject(const DorerShAccObj* object, const char* function) {
    if (object == nullptr) DorerPageLog_fatal(__LINE__, kSource, function, "Shared object pointer is NULL.");
}

void requireOutPointer(DorerShAccObj** object, const char* function) {
    if (object == nullptr) DorerPageLog_fatal(__LINE__, kSource, function, "Pointer to shared object pointer is NULL");
}

int reportLockResult(int result, const char* function, const char* call) {
    if (result != 0) {
        DorerPageLog_write(DORER_PAGE_LOG_ERROR, function, "%s(): failed with <%d|%s>", call, result,
                           std::strerror(result));
    }
    return result;
}

// Maps an access object that another process created. One that is smaller than the object
// (its creator died half-way) is refused rather than touched.
int mapExisting(int fd, const char* name, const char* function, DorerShAccObj** object) {
    off_t size = DorerPageOs_objectSize(fd);
    void* address = nullptr;
    if (size < static_cast<off_t>(sizeof(DorerShAccObj))) {
        DorerPageLog_write(DORER_PAGE_LOG_ERROR, function, "shared object '%s' has %ld bytes, expected %zu", name,
                           static_cast<long>(size), sizeof(DorerShAccObj));
    } else {
        address = DorerPageOs_mapAccessObject(fd, sizeof(DorerShAccObj));
    }
    SYSETPAGE_CLOSE_SHARED_MEMORY(fd);
    if (address == nullptr) return -1;
    *object = static_cast<DorerShAccObj*>(address);
    return 0;
}

// Opens the access object, or creates and initialises it; the caller holds the creation
// semaphore, so exactly one process creates it.
int openOrCreate(const char* name, const char* function, DorerShAccObj** object) {
    int fd = SYSETPAGE_OPEN_SHARED_MEMORY_RWRITE(name);
    if (fd >= 0) return mapExisting(fd, name, function, object);

    fd = SYSETPAGE_CREATE_SHARED_MEMORY(name);
    if (fd < 0) return -1;
    void* address = nullptr;
    if (!SYSETPAGE_RESIZE_SHARED_MEMORY(fd, sizeof(DorerShAccObj)) ||
        (address = DorerPageOs_mapAccessObject(fd, sizeof(DorerShAccObj))) == nullptr ||
        DorerShAccObj_init(static_cast<DorerShAccObj*>(address)) != 0) {
        DorerPageLog_fatal(__LINE__, kSource, function, "Failed to initialize shared access object!");
    }
    *object = static_cast<DorerShAccObj*>(address);
    SYSETPAGE_CLOSE_SHARED_MEMORY(fd);
    return 0;
}

bool missing(const char* name) { return name == nullptr || *name == '\0'; }

// Check point at the caller's source line.
#define DORER_CHECK_POINT(context, name, semaphore) \
    DorerPageDebug_checkPoint(context, name, semaphore, __func__, __LINE__)

}  // namespace

int DorerShAccObj_attach(const char* name, DorerShAccObj** object) {
    if (std::getenv("SYSETPAGE_DEBUG_ORA") != nullptr) {
        DorerPageLog_write(DORER_PAGE_LOG_INFO, __func__, "Debug mode enabled, use instrumented attach ...");
        return DorerShAccObj_attachImplDebug(name, object);
    }
    return DorerShAccObj_attachImplRelease(name, object);
}

int DorerShAccObj_attachImplRelease(const char* name, DorerShAccObj** object) {
    requireOutPointer(object, __func__);
    if (missing(name)) return -1;
    sem_t* semaphore = DORER_OPEN_SEMAPHORE(kDorerCreateLockName);
    if (semaphore == SEM_FAILED) return -1;

    int result = -1;
    if (DORER_WAIT_FOR_UNLOCK_SEMAPHORE(semaphore)) {
        result = openOrCreate(name, __func__, object);
        if (!DORER_UNLOCK_SEMAPHORE(semaphore)) DorerPageLog_fatal(__LINE__, kSource, __func__, "");
    }
    DORER_CLOSE_SEMAPHORE(semaphore);
    return result;
}

int DorerShAccObj_attachImplDebug(const char* name, DorerShAccObj** object) {
    requireOutPointer(object, __func__);
    DorerPageDebugContext context;
    DorerPageDebug_contextInit(&context);
    if (missing(name)) return -1;
    sem_t* semaphore = DORER_OPEN_SEMAPHORE(kDorerCreateLockName);
    if (semaphore == SEM_FAILED) return -1;

    DORER_CHECK_POINT(&context, "1:sem_open", semaphore);
    if (!DORER_WAIT_FOR_UNLOCK_SEMAPHORE(semaphore)) {
        DORER_CLOSE_SEMAPHORE(semaphore);
        return -1;
    }
    DORER_CHECK_POINT(&context, "2:sem_wait", semaphore);
    int result = openOrCreate(name, __func__, object);
    DORER_CHECK_POINT(&context, "3:sem_post:todo", semaphore);

    int attempts = 0;
    bool posted = false;
    while (!posted && attempts < kPostAttempts) {
        ++attempts;
        posted = DorerPageDebug_UnlockSemaphore(&context, semaphore) != 0;
        if (!posted) usleep(kPostRetryDelayUs);
        DORER_CHECK_POINT(&context, "4+:sem_post", semaphore);
    }

    if (!posted || attempts > 1 || context.is_verbose) {
        DorerPageLog_write(DORER_PAGE_LOG_INFO, __func__, "Final sem_post() result: '%s'", posted ? "OK" : "ERROR");
        DorerPageDebug_contextDump(&context);
    }
    if (!posted) {
        // Simulated failures never posted the semaphore for real: release it so the other
        // clients are not locked out for good by a diagnosis run.
        if (context.semPostFailuresSimulated > 0) DorerPageOs_calls().semPost(semaphore);
        DorerPageLog_fatal(__LINE__, kSource, __func__, "");
    }
    DORER_CLOSE_SEMAPHORE(semaphore);
    return result;
}

int DorerShAccObj_init(DorerShAccObj* object) {
    requireObject(object, __func__);
    pthread_rwlockattr_t attributes;
    pthread_rwlockattr_init(&attributes);
    pthread_rwlockattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    int result = pthread_rwlock_init(&object->rwLock, &attributes);
    pthread_rwlockattr_destroy(&attributes);
    object->changeCounter = 0;
    DorerShAccObj_setCurrentTime(object);
    return result;
}

void DorerShAccObj_setCurrentTime(DorerShAccObj* object) {
    requireObject(object, __func__);
    object->timeStamp = static_cast<uint32_t>(time(nullptr));
}

int DorerShAccObj_timedLockROnly(DorerShAccObj* object, int timeout) {
    requireObject(object, __func__);
    if (timeout == -1) return reportLockResult(pthread_rwlock_rdlock(&object->rwLock), __func__, "pthread_rwlock_rdlock");
    timespec until{time(nullptr) + timeout, 0};
    return reportLockResult(pthread_rwlock_timedrdlock(&object->rwLock, &until), __func__,
                            "pthread_rwlock_timedrdlock");
}

int DorerShAccObj_timedLockWrite(DorerShAccObj* object, int timeout) {
    requireObject(object, __func__);
    if (timeout == -1) return reportLockResult(pthread_rwlock_wrlock(&object->rwLock), __func__, "pthread_rwlock_wrlock");
    timespec until{time(nullptr) + timeout, 0};
    return reportLockResult(pthread_rwlock_timedwrlock(&object->rwLock, &until), __func__,
                            "pthread_rwlock_timedwrlock");
}

int DorerShAccObj_unlock(DorerShAccObj* object) {
    requireObject(object, __func__);
    return reportLockResult(pthread_rwlock_unlock(&object->rwLock), __func__, "pthread_rwlock_unlock");
}
