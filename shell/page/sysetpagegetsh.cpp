#include "sysetpagegetsh.h"

#include <cstring>

#include "DorerPageGetLib.h"
#include "sysetpagelog.h"
#include "sysetpageos.h"
#include "sysetshaccobj.h"

namespace {

constexpr const char* kSource = "sysetpagegetsh";
constexpr int kWaitForever = -1;

// One per process. localLock guards every other field; it is always taken before the
// access object's lock.
struct DorerPageGetSh {
    DorerShAccObj localLock;
    int attachStatus;
    const uint8_t* mappedPage;
    DorerShAccObj* accessObject;
    uint8_t pageCopy[kDorerPageSize];
    uint32_t copyCounter;
    uint32_t copyTimeStamp;
};

DorerPageGetSh g_reader = {{PTHREAD_RWLOCK_INITIALIZER, 0, 0}, DORER_PAGE_INVALID_ARGUMENT, nullptr, nullptr, {}, 0, 0};

void releaseLocalLock(const char* function) {
    if (DorerShAccObj_unlock(&g_reader.localLock) != 0) DorerPageLog_fatal(__LINE__, kSource, function, "");
}

// Maps the page; the page must cover the whole copy, or reading it would fault.
int attachShMemInternal(const char* pagePath) {
    int fd = SYSETPAGE_OPEN_SHARED_MEMORY_RONLY(pagePath);
    if (fd < 0) return DORER_PAGE_NOT_ATTACHED;
    int result = DORER_PAGE_NOT_ATTACHED;
    off_t size = DorerPageOs_objectSize(fd);
    if (size < static_cast<off_t>(kDorerPageSize)) {
        DorerPageLog_write(DORER_PAGE_LOG_ERROR, "DorerPageGetSh_attachShMemImternal",
                           "shared memory '%s' has %ld bytes, expected at least %u", pagePath,
                           static_cast<long>(size), kDorerPageSize);
    } else if ((g_reader.mappedPage = static_cast<const uint8_t*>(DorerPageOs_mapPage(fd, kDorerPageSize)))) {
        result = DORER_PAGE_OK;
    }
    if (!SYSETPAGE_CLOSE_SHARED_MEMORY(fd)) {
        DorerPageLog_write(DORER_PAGE_LOG_WARNING, "DorerPageGetSh_attachShMemImternal",
                           "Error while try close shared memory.");
    }
    return result;
}

// Called with localLock held for writing.
int DorerPageGetSh_updateImpl() {
    if (g_reader.mappedPage == nullptr || g_reader.accessObject == nullptr) return DORER_PAGE_NOT_ATTACHED;
    DorerShAccObj* shared = g_reader.accessObject;
    if (DorerShAccObj_timedLockROnly(shared, kWaitForever) != 0) return DORER_PAGE_SHARED_LOCK_FAILED;

    int result = DORER_PAGE_OK;
    bool noCopyYet = g_reader.copyCounter == 0 && g_reader.copyTimeStamp == 0;
    if (g_reader.copyCounter < shared->changeCounter || noCopyYet) {
        g_reader.copyCounter = shared->changeCounter;
        g_reader.copyTimeStamp = shared->timeStamp;
        std::memcpy(g_reader.pageCopy, g_reader.mappedPage, kDorerPageSize);
        if (DorerPageGetLib_init(g_reader.pageCopy, kDorerPageSize) != DORER_PAGE_OK) {
            result = DORER_PAGE_HEADER_CHECK_FAILED;
        }
    }

    if (DorerShAccObj_unlock(shared) != 0) {
        const char* message = "RW lock counter is broken, each client is affected!";
        DorerPageLog_write(DORER_PAGE_LOG_ERROR, __func__, "%s", message);
        DorerPageLog_fatal(__LINE__, kSource, __func__, message);
    }
    return result;
}

}  // namespace

int DorerPageGetSh_attach(const char* pagePath, const char* lockPath) {
    if (DorerShAccObj_timedLockWrite(&g_reader.localLock, kWaitForever) != 0) return DORER_PAGE_INVALID_ARGUMENT;
    if (g_reader.attachStatus == DORER_PAGE_OK) {
        DorerPageGetSh_updateImpl();
        releaseLocalLock(__func__);
        return DORER_PAGE_OK;
    }

    if (g_reader.mappedPage != nullptr) {
        DorerPageOs_unmap(g_reader.mappedPage, kDorerPageSize);
        g_reader.mappedPage = nullptr;
    }
    int result;
    if (pagePath == nullptr || *pagePath == '\0') {
        result = DORER_PAGE_INVALID_ARGUMENT;
    } else if ((result = attachShMemInternal(pagePath)) == DORER_PAGE_OK) {
        if (DorerShAccObj_attach(lockPath, &g_reader.accessObject) != 0) {
            result = DORER_PAGE_ACCESS_OBJECT_FAILED;
        } else {
            g_reader.copyCounter = 0;
            g_reader.copyTimeStamp = 0;
            result = DorerPageGetSh_updateImpl();
        }
    }
    g_reader.attachStatus = result;
    releaseLocalLock(__func__);
    return result;
}

int DorerPageGetSh_update() {
    if (DorerShAccObj_timedLockWrite(&g_reader.localLock, kWaitForever) != 0) return DORER_PAGE_NOT_ATTACHED;
    int result = DorerPageGetSh_updateImpl();
    releaseLocalLock(__func__);
    return result;
}

int DorerPageGetSh_getMappedCbBuffer(uint32_t id, uint16_t expectedVersion, uint8_t* buffer, uint32_t bufferSize,
                                     uint32_t* length) {
    if (DorerShAccObj_timedLockROnly(&g_reader.localLock, kWaitForever) != 0) return DORER_PAGE_INVALID_ARGUMENT;
    int result = DorerPageGetLib_readItem(id, expectedVersion, buffer, bufferSize, length);
    releaseLocalLock(__func__);
    return result;
}
