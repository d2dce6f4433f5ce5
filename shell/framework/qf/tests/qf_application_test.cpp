// The process frame: boot of the root component, exit codes, restart and failed steps.
#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hu_testing.h"
#include "qf/QFApplication.h"
#include "qf/QFTrace.h"

namespace {

// What the root component does when booted.
std::atomic<int> gBoots{0};
std::function<void(int boot)> gOnBoot;
std::vector<std::string> gBootParameters;

class CTestRoot : public QFApplication::CQFRootServiceStub {
public:
    void requestBoot(const CQFBootParameter& params) override {
        gBootParameters.clear();
        for (size_t i = 0; i < params.getCount(); ++i) gBootParameters.push_back(params.getArgument(i).str());
        gOnBoot(++gBoots);
    }
    void requestTerminate(int) override { QFApplication::shutdown(); }
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        gBoots = 0;
        mTraceFile = mRoot.path() + "/trace.txt";
        setenv("QF_TRACE_FILE", mTraceFile.c_str(), 1);
        QFTrace::configure("sys_kestrel_appbase_application_base_QFApplication");
        mRootInfo.setMapKey(0, 1);
        mFramework.registerThreadIndex("Root", 1);
        QFComponentMap::publish({&mRootInfo, &mFramework});
        const char* argv[] = {"frame", "-QFwatchdog", "--option"};
        QFCommandLineOptions::set(3, argv);
    }
    void TearDown() override {
        QFApplication::failStartupStep(nullptr);
        QFTrace::configure("");
        unsetenv("QF_TRACE_FILE");
        QFComponentMap::publish({});
    }
    int run() {
        SQFSystemConfig system;
        system.mProcessName = "frame";
        system.mThreadNames = {"Root"};
        SQFApplicationConfig app;
        app.mServiceThreads = {{"Root", "Root", [] { return new CTestRoot; }}};
        app.mIntraThreadCommBlocks = 3;
        app.mRootAddress = {0, 1};
        return execPIQSingleProcess(system, app, {{"Root.QFRootService", {0, 1}, 1, false, 1, 0}}, {});
    }
    std::string traces() { return hu::testing::readFile(mTraceFile); }

    hu::testing::TempRoot mRoot;
    std::string mTraceFile;
    CQFComponentInfo mRootInfo{"Root"};
    CQFComponentInfo mFramework{"Framework"};
};

TEST_F(FrameTest, ExitCodeOfShutdownBecomesTheResult) {
    gOnBoot = [](int) { QFApplication::shutdown(3); };
    EXPECT_EQ(3, run());
    EXPECT_EQ(1, gBoots.load());
    EXPECT_EQ(std::vector<std::string>{"--option"}, gBootParameters);  // the framework's own option is taken out
    EXPECT_NE(std::string::npos, traces().find("terminating application with exit code 3"));
}

TEST_F(FrameTest, RestartRunsAgainOnlyWithoutAnError) {
    gOnBoot = [](int boot) {
        if (boot == 1) QFApplication::requestRestart();
        QFApplication::shutdown(0);
    };
    EXPECT_EQ(0, run());
    EXPECT_EQ(2, gBoots.load());
    EXPECT_NE(std::string::npos, traces().find("restarting application"));

    gBoots = 0;
    gOnBoot = [](int) {
        QFApplication::requestRestart();
        QFApplication::shutdown(1);
    };
    EXPECT_EQ(1, run());
    EXPECT_EQ(1, gBoots.load());
    EXPECT_NE(std::string::npos, traces().find("ERROR MainThread sys_kestrel_appbase_application_base_QFApplication: "
                                               "restart refused due to an error"));
}

TEST_F(FrameTest, FailedStepIsReportedAndTheSequenceStillTearsDown) {
    gOnBoot = [](int) { QFApplication::shutdown(0); };
    QFApplication::failStartupStep("cannot start service thread");
    EXPECT_EQ(-2, run());
    EXPECT_EQ(0, gBoots.load());  // no root component to boot
    const std::string t = traces();
    EXPECT_NE(std::string::npos, t.find("ERROR MainThread sys_kestrel_appbase_application_base_QFApplication: cannot start service thread"));
    EXPECT_NE(std::string::npos, t.find("shutdown sequence finished"));
    EXPECT_NE(std::string::npos, t.find("terminating application with exit code -2"));
}

}  // namespace
