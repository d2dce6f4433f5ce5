// The thread parameter lookup through the component table and the frame's configurator.
#include <vector>

#include <gtest/gtest.h>

#include "cfgshellTables.h"
#include "qf/QFApplication.h"
#include "qf/QFAssert.h"

namespace {

class TablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFComponentMap::publish(cfgshellComponentTable());
        QFAssert::setObserver([this](const SQFAssertion& a) { mSeen.push_back(a); });
    }
    void TearDown() override {
        QFAssert::setObserver(nullptr);
        CQFComponentInfo::setCurrent(nullptr);
    }
    void enter(const char* component) { CQFComponentInfo::setCurrent(QFComponentMap::find(component)); }
    std::vector<SQFAssertion> mSeen;
};

TEST_F(TablesTest, ThreadsResolveThroughTheCurrentComponent) {
    enter("CfgShell");
    const CQFThreadParam* worker = getThreadParam("DorerShellFileIOWorkerThread");
    ASSERT_NE(nullptr, worker);
    EXPECT_EQ(0, worker->mIndex);
    EXPECT_EQ(60000u, worker->mWatchdogTimeoutMs);
    EXPECT_EQ(-1, worker->mPartitionId);
    EXPECT_EQ(CQFString("DorerShellFileIOWorkerThread_CfgShell"),
              CQFComponentInfo::getCurrent()->getMappedWorkerThreadName("DorerShellFileIOWorkerThread"));

    enter("Kestrelv2");
    const CQFThreadParam* shell = getThreadParam("CfgShell");
    ASSERT_NE(nullptr, shell);
    EXPECT_EQ(1, shell->mIndex);
    EXPECT_EQ(999999999u, shell->mWatchdogTimeoutMs);
    EXPECT_EQ(-1, shell->mPartitionId);
    const CQFThreadParam* trace = getThreadParam("Trace");
    ASSERT_NE(nullptr, trace);
    EXPECT_EQ(6, trace->mIndex);
    EXPECT_EQ(QFApplication::getAPSPartitionId("interaction"), trace->mPartitionId);
    EXPECT_EQ(10u, trace->mQueueBlockSize);
    EXPECT_EQ(32768u, trace->mStackSize);
    EXPECT_TRUE(mSeen.empty());
}

TEST_F(TablesTest, MissingNamesAndUnknownThreadsAssert) {
    enter("PIQSend");
    EXPECT_EQ(nullptr, getThreadParam(nullptr));
    EXPECT_EQ(nullptr, getThreadParam("Trace"));  // registered in another component
    ASSERT_EQ(2u, mSeen.size());
    EXPECT_EQ(345, mSeen[0].mLine);
    EXPECT_EQ("cfgshellMain", mSeen[0].mSource);
    EXPECT_EQ(351, mSeen[1].mLine);
    EXPECT_EQ("Trace", mSeen[1].mValue);
}

TEST_F(TablesTest, ConfiguratorSlots) {
    enter("Kestrelv2");
    CQFSystemConfigThreadConfigurator configurator(&getThreadParam, 8);
    EXPECT_EQ(kQFNoThreadIndex, configurator.getThreadIndex("NoSuchThread"));
    EXPECT_EQ(nullptr, configurator.getThreadParams(kQFNoThreadIndex));
    EXPECT_EQ(6, configurator.getThreadIndex("Trace"));
    ASSERT_NE(nullptr, configurator.getThreadParams(6));
    EXPECT_EQ(6, configurator.getThreadParams(6)->mIndex);
    mSeen.clear();
    EXPECT_EQ(nullptr, configurator.getThreadParams(2));  // never looked up
    ASSERT_EQ(1u, mSeen.size());
    EXPECT_EQ(118, mSeen[0].mLine);

    CQFSystemConfigThreadConfigurator small(&getThreadParam, 4);
    EXPECT_EQ(kQFNoThreadIndex, small.getThreadIndex("Watchdog"));  // index 7, four slots
    ASSERT_EQ(2u, mSeen.size());
    EXPECT_EQ(85, mSeen[1].mLine);
    EXPECT_EQ("CQFSystemConfigThreadConfigurator", mSeen[1].mSource);

    enter("CfgShell");
    EXPECT_EQ(CQFString("DorerShellFileIOWorkerThread_CfgShell"),
              configurator.getWorkerThreadName("DorerShellFileIOWorkerThread"));
}

}  // namespace
