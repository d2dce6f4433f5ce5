// Records from slogf/vslogf through the logger daemon, and the fallback without one.
#include <signal.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "hu/slog.h"
#include "hu/slog_record.h"
#include "hu_testing.h"

namespace {

using hu::testing::Process;
using hu::testing::TempRoot;

std::vector<hu::slog::Record> waitForRecords(const std::string& path, size_t count) {
    std::vector<hu::slog::Record> records;
    hu::testing::waitUntil([&] {
        records = hu::slog::readFile(path);
        return records.size() >= count;
    });
    return records;
}

TEST(SloggerTest, RecordsArriveCompleteInOrderWithOpcodeAndSeverity) {
    TempRoot root;
    Process logger({hu::testing::binPath("slogger")});
    ASSERT_TRUE(hu::testing::waitUntil([&] { return access(root.host("/dev/slog").c_str(), F_OK) == 0; }));

    EXPECT_GT(slogf(8, _SLOG_DEBUG1, "hd-dec:%s %d", "init", 5), 0);
    errno = 1234;
    slogf(20000, _SLOG_ERROR, "iocprotocheck: line one\nline two \\ end");
    EXPECT_EQ(1234, errno);  // logging leaves errno alone
    std::string long_text(3000, 'a');
    slogf(0x100002, _SLOG_WARNING, "%s", long_text.c_str());

    auto records = waitForRecords(root.host("/var/log/slog"), 3);
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ(8, records[0].opcode);
    EXPECT_EQ(_SLOG_DEBUG1, records[0].severity);
    EXPECT_EQ("hd-dec:init 5", records[0].text);
    EXPECT_EQ(getpid(), records[0].pid);
    EXPECT_EQ(20000, records[1].opcode);
    EXPECT_EQ("iocprotocheck: line one\nline two \\ end", records[1].text);
    EXPECT_EQ(0x100002, records[2].opcode);
    EXPECT_EQ(std::string(kSlogMaxText, 'a'), records[2].text);
}

TEST(SloggerTest, ConcurrentThreadsEachDeliverWholeRecords) {
    TempRoot root;
    Process logger({hu::testing::binPath("slogger")});
    ASSERT_TRUE(hu::testing::waitUntil([&] { return access(root.host("/dev/slog").c_str(), F_OK) == 0; }));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) slogf(8, _SLOG_INFO, "thread %d record %d", t, i);
        });
    }
    for (auto& thread : threads) thread.join();
    auto records = waitForRecords(root.host("/var/log/slog"), 200);
    ASSERT_EQ(200u, records.size());
    std::vector<int> next(4, 0);
    for (const auto& r : records) {
        int t = -1, i = -1;
        ASSERT_EQ(2, sscanf(r.text.c_str(), "thread %d record %d", &t, &i)) << r.text;
        EXPECT_EQ(next[t]++, i);  // each thread's records in its own order
    }
}

TEST(SloggerTest, WithoutALoggerRecordsGoToTheFallbackFile) {
    TempRoot root;
    EXPECT_GT(slogf(8, _SLOG_INFO, "nobody listens"), 0);
    auto records = hu::slog::readFile(hu::slog::fallbackPath());
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("nobody listens", records[0].text);
}

// A logger that stops reading holds a sender up once, not for every record, and loses nothing:
// what it could not take is in the fallback file.
TEST(SloggerTest, AStoppedLoggerDoesNotStopItsSenders) {
    TempRoot root;
    Process logger({hu::testing::binPath("slogger")});
    ASSERT_TRUE(hu::testing::waitUntil([&] { return access(root.host("/dev/slog").c_str(), F_OK) == 0; }));
    ASSERT_EQ(0, kill(logger.pid(), SIGSTOP));
    constexpr int kRecords = 100;
    for (int i = 0; i < kRecords; ++i) ASSERT_GT(slogf(8, _SLOG_INFO, "record %d", i), 0);
    ASSERT_EQ(0, kill(logger.pid(), SIGCONT));
    std::vector<hu::slog::Record> records;
    ASSERT_TRUE(hu::testing::waitUntil([&] {
        records = hu::slog::readFile(hu::slog::fallbackPath());
        auto logged = hu::slog::readFile(root.host("/var/log/slog"));
        records.insert(records.end(), logged.begin(), logged.end());
        return records.size() >= kRecords;
    }));
    std::vector<int> seen(kRecords, 0);
    for (const auto& r : records) {
        int i = -1;
        ASSERT_EQ(1, sscanf(r.text.c_str(), "record %d", &i)) << r.text;
        ++seen.at(i);
    }
    EXPECT_EQ(std::vector<int>(kRecords, 1), seen);
}

TEST(SloggerTest, ForeignDatagramsAreIgnored) {
    EXPECT_FALSE(hu::slog::decode("junk", 4).has_value());
    EXPECT_FALSE(hu::slog::parseLine("not a record").has_value());
}

}  // namespace
