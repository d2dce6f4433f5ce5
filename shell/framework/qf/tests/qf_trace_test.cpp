// Trace selection and output, the system log and assertions, through the real logger.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hu/slog_record.h"
#include "hu_testing.h"
#include "qf/QFAssert.h"
#include "qf/QFSyslog.h"
#include "qf/QFTrace.h"

namespace {

using hu::testing::TempRoot;

const CQFTraceScopeDef kShellScope("sys_data_systemsettings_shell_CDorerShellMain");
const CQFTraceScopeDef kLogScope("sys_data_systemsettings2_log");

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        mFile = mRoot.path() + "/trace.txt";
        setenv("QF_TRACE_FILE", mFile.c_str(), 1);
        unsetenv("QF_DISABLE_TRACE");
    }
    void TearDown() override {
        QFTrace::configure("");
        unsetenv("QF_TRACE_FILE");
    }
    std::string lines() {
        QFTrace::flush();
        return hu::testing::readFile(mFile);
    }
    TempRoot mRoot;
    std::string mFile;
};

TEST_F(TraceTest, SelectionByNamePrefixOrAll) {
    struct Case {
        const char* selection;
        bool shell, log;
    } cases[] = {
        {"", false, false},
        {"sys_data_systemsettings2_log", false, true},
        {"other, sys_data_systemsettings_shell_*", true, false},
        {"all", true, true},
        {"sys_data_*", true, true},
    };
    for (const Case& c : cases) {
        QFTrace::configure(c.selection);
        EXPECT_EQ(c.shell, kShellScope.isEnabled()) << c.selection;
        EXPECT_EQ(c.log, kLogScope.isEnabled()) << c.selection;
    }
}

TEST_F(TraceTest, LinesOnlyForEnabledScopesErrorsAlwaysInOrderThroughTheThread) {
    QFTrace::configure("sys_data_systemsettings2_log");
    ASSERT_TRUE(QFTrace::startThread());
    CQFTraceScope(kShellScope, "f").sendFormattedMessage("hidden %d", 1);
    CQFTraceScope(kLogScope, "f").sendFormattedMessage("CDorerShellNotificationConsumer::%s() : %s\n", "f", "shown");
    CQFTraceScope(kShellScope, "f").sendFormattedError("broken %d", 2);
    QFTrace::stopThread();
    EXPECT_EQ(
        "TRACE <unnamed> sys_data_systemsettings2_log: CDorerShellNotificationConsumer::f() : shown\n"
        "ERROR <unnamed> sys_data_systemsettings_shell_CDorerShellMain: broken 2\n",
        lines());
}

TEST_F(TraceTest, DisabledTraceWritesNothingAtAll) {
    QFTrace::configure("all");
    setenv("QF_DISABLE_TRACE", "", 1);
    EXPECT_TRUE(QFTrace::isDisabled());
    EXPECT_FALSE(kShellScope.isEnabled());
    CQFTraceScope(kShellScope, "f").sendFormattedError("error");
    CQFTraceScope(kShellScope, "f").sendMessageUnconditionally("message");
    unsetenv("QF_DISABLE_TRACE");
    EXPECT_EQ("", lines());
}

TEST(QFSyslogTest, AssertionsAndLogLinesReachTheLogger) {
    TempRoot root;
    hu::testing::Process logger({hu::testing::binPath("slogger")});
    ASSERT_TRUE(hu::testing::waitUntil([&] { return access(root.host("/dev/slog").c_str(), F_OK) == 0; }));
    std::vector<SQFAssertion> seen;
    QFAssert::setObserver([&](const SQFAssertion& a) { seen.push_back(a); });
    QFSyslog::logMsg(0, 5, "application %s started", "x");
    doAssert(68, "NDorerShellResources", "Undefined EState value.", 7);
    doCheapAssert(345, "cfgshellMain");
    QFAssert::setObserver(nullptr);

    std::vector<hu::slog::Record> records;
    ASSERT_TRUE(hu::testing::waitUntil([&] {
        records = hu::slog::readFile(root.host("/var/log/slog"));
        return records.size() >= 3;
    }));
    EXPECT_EQ("application x started", records[0].text);
    EXPECT_EQ(5, records[0].severity);
    EXPECT_EQ("ASSERTION NDorerShellResources:68: Undefined EState value. (7)", records[1].text);
    EXPECT_EQ(1, records[1].severity);
    EXPECT_EQ("ASSERTION cfgshellMain:345", records[2].text);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(68, seen[0].mLine);
    EXPECT_EQ("7", seen[0].mValue);
    EXPECT_EQ("cfgshellMain", seen[1].mSource);
}

}  // namespace
