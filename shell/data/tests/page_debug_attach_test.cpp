// The instrumented attach, switched on by environment variables, observed on the real logger.
#include <sys/wait.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "page_test_support.h"
#include "pagewriter/page_image.h"

namespace {

using page_test::Logger;
using page_test::Names;
using page_test::Probe;

// The texts after "] " of the page lines of one process, in order.
std::vector<std::string> pageLines(const Logger& logger, pid_t pid) {
    std::vector<std::string> lines;
    std::string prefix = page_test::pagePrefix(pid);
    for (const auto& record : logger.records()) {
        if (record.text.compare(0, prefix.size(), prefix) != 0) continue;
        size_t end = record.text.find("] ");
        lines.push_back(record.text.substr(record.text.find(",F=") + 3, end - record.text.find(",F=") - 3) + " " +
                        record.text.substr(end + 2));
    }
    return lines;
}

size_t count(const std::vector<std::string>& lines, const std::string& text) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

struct DebugAttach : ::testing::Test {
    hu::testing::TempRoot root;
    Logger logger{root};
    Names names;
    hu::pagewriter::PageWriter writer{names.page, names.lock};
    void SetUp() override { ASSERT_TRUE(writer.openPage(hu::pagewriter::PageImage().build())); }
    std::string attach() const { return "attach " + names.page + " " + names.lock; }
};

TEST_F(DebugAttach, TwoSimulatedPostFailuresSucceedAtTheThirdAttemptAndDumpTheContext) {
    Probe reader({{"SYSETPAGE_DEBUG_ORA", "1"},
                  {"SYSETPAGE_DEBUG_ORA_SIMU_SEMPOSTERRCNT", "2"},
                  {"SYSETPAGE_DEBUG_ORA_SIMU_SEMDESCCORRUPT", "1"}});
    EXPECT_EQ("attach 0", reader.ask(attach()));
    logger.waitFor("semDescFull");
    std::vector<std::string> lines = pageLines(logger, reader.process().pid());

    EXPECT_EQ("DorerShAccObj_attach() INFO: Debug mode enabled, use instrumented attach ...", lines.at(0));
    EXPECT_EQ(1u, count(lines, "DorerPageDebug_UnlockSemaphore() ERROR: Simulate EBADF sem_post error (1/2)..."));
    EXPECT_EQ(1u, count(lines, "DorerPageDebug_UnlockSemaphore() ERROR: Simulate EBADF sem_post error (2/2)..."));
    EXPECT_EQ(1u, count(lines, "DorerShAccObj_attachImplDebug() INFO: Final sem_post() result: 'OK'"));
    EXPECT_EQ(1u, count(lines, "DorerPageDebug_contextDump() INFO: Debug context: snapshots_cnt=6 config "
                               "[simu_sem_post=2,simu_sem_desc=1,is_verbose=0]:"));
    EXPECT_EQ(1u, count(lines, "  snapshot entry '1:sem_open', is_changed=0"));
    EXPECT_EQ(1u, count(lines, "  snapshot entry '2:sem_wait', is_changed=1"));  // the fake count moved
    EXPECT_EQ(1u, count(lines, "  snapshot entry '3:sem_post:todo'"));
    EXPECT_EQ(3u, count(lines, "  snapshot entry '4+:sem_post'"));
    EXPECT_LE(2u, count(lines, "    errno <9|Bad file descriptor>"));  // after the simulated failures
    EXPECT_EQ(1u, count(lines, "    semDescFull [o.count=-1, o.owner="));
    EXPECT_EQ(1u, count(lines, "    semDescFull [o.count=-6, o.owner="));
    EXPECT_EQ(6u, count(lines, "    semDescPtr="));
}

TEST_F(DebugAttach, FiveSimulatedPostFailuresDumpAndStopTheProcessWithoutLockingOthersOut) {
    Probe reader({{"SYSETPAGE_DEBUG_ORA", "1"}, {"SYSETPAGE_DEBUG_ORA_SIMU_SEMPOSTERRCNT", "7"}});
    EXPECT_EQ("", reader.ask(attach()));
    int status = reader.process().wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) << status;
    logger.waitFor("FATAL ERROR");
    std::vector<std::string> lines = pageLines(logger, reader.process().pid());
    EXPECT_EQ(5u, count(lines, "Simulate EBADF sem_post error"));
    EXPECT_EQ(1u, count(lines, "Simulate EBADF sem_post error (5/7)..."));
    EXPECT_EQ(1u, count(lines, "Final sem_post() result: 'ERROR'"));
    EXPECT_EQ(1u, count(lines, "snapshots_cnt=8 config [simu_sem_post=7,simu_sem_desc=0,is_verbose=0]:"));
    EXPECT_EQ("DorerShAccObj_attachImplDebug() ERROR: ", lines.back());
    EXPECT_EQ(1u, logger.texts("FATAL ERROR sysetshaccobj:").size());

    // The creation semaphore is free again for every other client.
    Probe next;
    EXPECT_EQ("attach 0", next.ask(attach()));
}

TEST_F(DebugAttach, GuardCorruptionIsReportedAtEveryCheckPointWithItsDump) {
    Probe reader({{"SYSETPAGE_DEBUG_ORA", "1"}, {"SYSETPAGE_DEBUG_ORA_SIMU_GCORRUPT", "1"}});
    EXPECT_EQ("attach 0", reader.ask(attach()));
    logger.waitFor("Guard buffer corrupted!");
    std::vector<std::string> lines;
    hu::testing::waitUntil([&] {
        lines = pageLines(logger, reader.process().pid());
        return count(lines, "DorerPageDebug_guardDump()") >= 32;
    });

    // Four check points: open, wait, before the post, after the one post.
    EXPECT_EQ(4u, count(lines, "DorerPageDebug_guardSimuCB() ERROR: Simulate guard buffer corruption.."));
    EXPECT_EQ(4u, count(lines, "DorerPageDebug_guardVerify() ERROR: Guard buffer corrupted! "
                               "[F=DorerShAccObj_attachImplDebug,Line="));
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("Guard buffer corrupted!") == std::string::npos) continue;
        ASSERT_LT(i + 8, lines.size());
        EXPECT_EQ("DorerPageDebug_guardDump() INFO:   aa fe fe fe fe fe fe fe", lines[i + 1]);
        for (size_t row = 2; row <= 8; ++row) {
            EXPECT_EQ("DorerPageDebug_guardDump() INFO:   fe fe fe fe fe fe fe fe", lines[i + row]);
        }
    }
    EXPECT_EQ(0u, count(lines, "Final sem_post()"));  // first post succeeded, not verbose: no dump
}

}  // namespace
