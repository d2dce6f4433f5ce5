// The operating-system wrappers and lock functions of the page code: interrupted calls retried
// with one WARNING, failures logged with errno (which logging leaves alone), the log line form.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hu/slog_record.h"
#include "hu_testing.h"
#include "sysetpageos.h"
#include "sysetshaccobj.h"

namespace {

using hu::testing::Process;
using hu::testing::TempRoot;

// Fails the first `failures` calls with EINTR, then calls through.
int g_interruptions = 0;
int interruptedClose(int fd) {
    if (g_interruptions > 0) {
        --g_interruptions;
        errno = EINTR;
        return -1;
    }
    return close(fd);
}
int interruptedFtruncate(int fd, off_t size) {
    if (g_interruptions > 0) {
        --g_interruptions;
        errno = EINTR;
        return -1;
    }
    return ftruncate(fd, size);
}
int badPost(sem_t*) {
    errno = EBADF;
    return -1;
}

struct PageOsTest : ::testing::Test {
    TempRoot root;
    Process logger{{hu::testing::binPath("slogger")}};
    DorerPageOsCalls saved = DorerPageOs_calls();
    std::string prefix;

    void SetUp() override {
        ASSERT_TRUE(hu::testing::waitUntil([&] { return access(root.host("/dev/slog").c_str(), F_OK) == 0; }));
        prefix = "[DorerPage V=1.3,D=0,PID=" + std::to_string(getpid()) +
                 ",TID=" + std::to_string(gettid()) + ",F=";
    }
    void TearDown() override { DorerPageOs_calls() = saved; }

    std::vector<hu::slog::Record> records(size_t count) {
        std::vector<hu::slog::Record> found;
        hu::testing::waitUntil([&] {
            found = hu::slog::readFile(root.host("/var/log/slog"));
            return found.size() >= count;
        });
        return found;
    }
};

TEST_F(PageOsTest, InterruptedCallsAreRetriedWithOneWarning) {
    int fd = memfd_create("page_os_test", 0);
    ASSERT_GE(fd, 0);
    g_interruptions = 3;
    DorerPageOs_calls().ftruncate = interruptedFtruncate;
    EXPECT_EQ(1, SYSETPAGE_RESIZE_SHARED_MEMORY(fd, 64));
    g_interruptions = 1;
    DorerPageOs_calls().close = interruptedClose;
    EXPECT_EQ(1, SYSETPAGE_CLOSE_SHARED_MEMORY(fd));

    std::vector<hu::slog::Record> logged = records(2);
    ASSERT_EQ(2u, logged.size());
    EXPECT_EQ(prefix + "SYSETPAGE_RESIZE_SHARED_MEMORY()] WARNING: SYSETPAGE_EINTR_COND", logged[0].text);
    EXPECT_EQ(prefix + "SYSETPAGE_CLOSE_SHARED_MEMORY()] WARNING: SYSETPAGE_COND_EINTR", logged[1].text);
    EXPECT_EQ(0x100002, logged[1].opcode);
    EXPECT_EQ(3, logged[1].severity);
}

TEST_F(PageOsTest, FailuresAreLoggedAndErrnoSurvivesTheLogging) {
    DorerPageOs_calls().semPost = badPost;
    errno = 0;
    EXPECT_EQ(0, DORER_UNLOCK_SEMAPHORE(nullptr));
    EXPECT_EQ(EBADF, errno);

    std::string missing = "/hu_page_os_test_missing_" + std::to_string(getpid());
    EXPECT_EQ(-1, SYSETPAGE_OPEN_SHARED_MEMORY_RWRITE(missing.c_str()));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_EQ(-1, SYSETPAGE_CREATE_SHARED_MEMORY("/no/slashes/inside"));
    EXPECT_EQ(-1, SYSETPAGE_OPEN_SHARED_MEMORY_RONLY(nullptr));

    std::vector<hu::slog::Record> logged = records(4);
    ASSERT_EQ(4u, logged.size());
    EXPECT_EQ(prefix + "DORER_UNLOCK_SEMAPHORE()] ERROR: sem_post(): failed with <9|Bad file descriptor>",
              logged[0].text);
    EXPECT_EQ(2, logged[0].severity);
    EXPECT_EQ(prefix + "SYSETPAGE_OPEN_SHARED_MEMORY_RWRITE()] WARNING: shm_open('" + missing +
                  "'): failed as shared memory object does not exist, to be created",
              logged[1].text);
    EXPECT_EQ(0u, logged[2].text.find(prefix + "SYSETPAGE_CREATE_SHARED_MEMORY()] ERROR: "
                                               "shm_open('/no/slashes/inside'): failed with <"))
        << logged[2].text;
    EXPECT_EQ(0u, logged[3].text.find(prefix + "SYSETPAGE_OPEN_SHARED_MEMORY_RONLY()] ERROR: shm_open('NULL')"))
        << logged[3].text;
}

TEST_F(PageOsTest, LockTimeOutsAreAbsoluteSecondsAndFailuresAreLogged) {
    DorerShAccObj object;
    ASSERT_EQ(0, DorerShAccObj_init(&object));
    EXPECT_EQ(0u, object.changeCounter);
    ASSERT_EQ(0, DorerShAccObj_timedLockROnly(&object, -1));
    EXPECT_EQ(0, DorerShAccObj_timedLockROnly(&object, 0));  // readers share
    EXPECT_EQ(ETIMEDOUT, DorerShAccObj_timedLockWrite(&object, 0));
    EXPECT_EQ(0, DorerShAccObj_unlock(&object));
    EXPECT_EQ(0, DorerShAccObj_unlock(&object));
    EXPECT_EQ(0, DorerShAccObj_timedLockWrite(&object, 1));
    EXPECT_EQ(0, DorerShAccObj_unlock(&object));

    std::vector<hu::slog::Record> logged = records(1);
    ASSERT_EQ(1u, logged.size());
    EXPECT_EQ(prefix + "DorerShAccObj_timedLockWrite()] ERROR: pthread_rwlock_timedwrlock(): failed with <" +
                  std::to_string(ETIMEDOUT) + "|" + strerror(ETIMEDOUT) + ">",
              logged[0].text);
    pthread_rwlock_destroy(&object.rwLock);
}

TEST_F(PageOsTest, MissingObjectIsFatal) {
    EXPECT_DEATH(DorerShAccObj_unlock(nullptr), "FATAL ERROR sysetshaccobj:[0-9]+: Shared object pointer is NULL.");
    EXPECT_DEATH(DorerShAccObj_attach("/x", nullptr), "Pointer to shared object pointer is NULL");
}

}  // namespace
