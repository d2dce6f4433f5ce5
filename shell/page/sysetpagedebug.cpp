#include "sysetpagedebug.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sysetpagelog.h"
#include "sysetpageos.h"

namespace {

constexpr uint8_t kGuardFill = 0xFE;
constexpr uint8_t kGuardCorruption = 0xAA;

bool envSet(const char* name) { return std::getenv(name) != nullptr; }

bool snapshotsDiffer(const DorerPageDebugSnapshot& a, const DorerPageDebugSnapshot& b) {
    return std::memcmp(a.semWords, b.semWords, sizeof a.semWords) != 0 || a.semaphore != b.semaphore ||
           a.error != b.error;
}

}  // namespace

void DorerPageDebug_contextInit(DorerPageDebugContext* context) {
    std::memset(context, 0, sizeof *context);
    std::memset(context->guard, kGuardFill, sizeof context->guard);
    context->simuGuardCorrupt = envSet("SYSETPAGE_DEBUG_ORA_SIMU_GCORRUPT");
    context->is_verbose = envSet("SYSETPAGE_DEBUG_VERBOSE");
    context->simu_sem_desc = envSet("SYSETPAGE_DEBUG_ORA_SIMU_SEMDESCCORRUPT");
    if (const char* count = std::getenv("SYSETPAGE_DEBUG_ORA_SIMU_SEMPOSTERRCNT")) context->simu_sem_post = std::atoi(count);
}

void DorerPageDebug_checkPoint(DorerPageDebugContext* context, const char* name, const sem_t* semaphore,
                               const char* function, int line) {
    if (context->simuGuardCorrupt) DorerPageDebug_guardSimuCB(context);
    DorerPageDebug_guardVerify(context, function, line);
    DorerPageDebug_snapshot(context, name, semaphore);
}

void DorerPageDebug_guardSimuCB(DorerPageDebugContext* context) {
    DorerPageLog_write(DORER_PAGE_LOG_ERROR, __func__, "Simulate guard buffer corruption..");
    context->guard[0] = kGuardCorruption;
}

int DorerPageDebug_guardVerify(const DorerPageDebugContext* context, const char* function, int line) {
    for (uint8_t byte : context->guard) {
        if (byte != kGuardFill) {
            DorerPageLog_write(DORER_PAGE_LOG_ERROR, __func__, "Guard buffer corrupted! [F=%s,Line=%i]:", function,
                               line);
            DorerPageDebug_guardDump(context);
            return 0;
        }
    }
    return 1;
}

void DorerPageDebug_guardDump(const DorerPageDebugContext* context) {
    for (int row = 0; row < kDorerDebugGuardSize; row += 8) {
        const uint8_t* g = context->guard + row;
        DorerPageLog_write(DORER_PAGE_LOG_INFO, __func__, "  %x %x %x %x %x %x %x %x", g[0], g[1], g[2], g[3], g[4],
                           g[5], g[6], g[7]);
    }
}

void DorerPageDebug_snapshot(DorerPageDebugContext* context, const char* name, const sem_t* semaphore) {
    int error = errno;
    if (context->snapshotCount >= kDorerDebugMaxSnapshots) return;
    DorerPageDebugSnapshot& snapshot = context->snapshots[context->snapshotCount++];
    std::strncpy(snapshot.name, name, kDorerDebugSnapshotNameLength);
    snapshot.name[kDorerDebugSnapshotNameLength] = '\0';
    static_assert(sizeof snapshot.semWords <= sizeof(sem_t), "the words lie inside the semaphore object");
    std::memcpy(snapshot.semWords, semaphore, sizeof snapshot.semWords);
    // The fake count shows in the snapshot only; the semaphore itself is never touched.
    if (context->simu_sem_desc) snapshot.semWords[0] = static_cast<uint32_t>(--context->fakeSemCount);
    snapshot.semaphore = semaphore;
    snapshot.error = error;
    errno = error;
}

int DorerPageDebug_UnlockSemaphore(DorerPageDebugContext* context, sem_t* semaphore) {
    if (context->semPostFailuresSimulated < context->simu_sem_post) {
        ++context->semPostFailuresSimulated;
        DorerPageLog_write(DORER_PAGE_LOG_ERROR, __func__, "Simulate EBADF sem_post error (%i/%i)...",
                           context->semPostFailuresSimulated, context->simu_sem_post);
        errno = EBADF;
        return 0;
    }
    return DORER_UNLOCK_SEMAPHORE(semaphore);
}

void DorerPageDebug_contextDump(const DorerPageDebugContext* context) {
    DorerPageLog_write(DORER_PAGE_LOG_INFO, __func__,
                       "Debug context: snapshots_cnt=%u config [simu_sem_post=%i,simu_sem_desc=%i,is_verbose=%i]:",
                       context->snapshotCount, context->simu_sem_post, context->simu_sem_desc ? 1 : 0,
                       context->is_verbose ? 1 : 0);
    for (unsigned i = 0; i < context->snapshotCount; ++i) {
        const DorerPageDebugSnapshot& s = context->snapshots[i];
        bool changed = i > 0 && snapshotsDiffer(s, context->snapshots[i - 1]);
        DorerPageLog_write(DORER_PAGE_LOG_INFO, __func__, "  snapshot entry '%s', is_changed=%i", s.name,
                           changed ? 1 : 0);
        DorerPageLog_write(DORER_PAGE_LOG_INFO, __func__, "    errno <%i|%s>", s.error, std::strerror(s.error));
        DorerPageLog_write(DORER_PAGE_LOG_INFO, __func__, "    semDescPtr=%p", static_cast<const void*>(s.semaphore));
        DorerPageLog_write(DORER_PAGE_LOG_INFO, __func__,
                           "    semDescFull [o.count=%i, o.owner=%u, refcnt=%i, dev=%i, ino=%i, link=%p]",
                           static_cast<int>(s.semWords[0]), s.semWords[1], static_cast<int>(s.semWords[2]),
                           static_cast<int>(s.semWords[3]), static_cast<int>(s.semWords[4]),
                           reinterpret_cast<void*>(static_cast<uintptr_t>(s.semWords[5])));
    }
}
