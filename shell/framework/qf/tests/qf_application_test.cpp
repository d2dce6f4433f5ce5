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

// Every set-up and tear-down step that can fail, forced through the test aid: its message is
// traced as an error, the error value is the step's kind (-2, or -3 for operating-system
// failures), what was set up is still torn down, and the sequence ends with that value.
TEST_F(FrameTest, EveryFailedStepIsReportedAndTheSequenceStillTearsDown) {
    struct Step {
        const char* message;
        int result;
        bool threadsRan;  // the round's threads were started (and so torn down)
        int boots;
    };
    const Step steps[] = {
        {"cannot set up process environment", -3, false, 0},
        {"cannot allocate intra thread comm memory", -2, false, 0},
        {"cannot create timer server", -2, false, 0},
        {"cannot create error channel", -3, false, 0},
        {"cannot attach to error channel", -3, false, 0},
        {"cannot set up threading environment", -2, false, 0},
        {"cannot set up heartbeat facility", -2, false, 0},
        {"cannot set up watchdog startup suppressor", -2, false, 0},
        {"cannot set up component environment", -2, false, 0},
        {"cannot install application controller", -2, true, 0},
        {"cannot start watchdog thread", -3, true, 0},
        {"cannot start trace thread", -2, true, 0},
        {"cannot create piqrcvMasterChannel", -3, true, 0},
        {"cannot create piqrcvSubChannel", -3, true, 0},
        {"cannot start piq sender thread", -2, true, 0},
        {"cannot start service thread", -2, true, 0},
        {"cannot increase root thread priority", -2, true, 0},
        {"cannot startup application", -2, true, 0},
        {"cannot reduce thread priority of root thread", -2, true, 1},
        {"cannot join piq sender thread", -2, true, 1},
        {"cannot join watchdog thread", -2, true, 1},
    };
    const char* argv[] = {"frame", "-QFwatchdog", "-QFheartbeat=100", "--option"};
    QFCommandLineOptions::set(4, argv);
    gOnBoot = [](int) { QFApplication::shutdown(0); };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.message);
        hu::testing::writeFile(mTraceFile, "");
        gBoots = 0;
        QFApplication::failStartupStep(step.message);
        EXPECT_EQ(step.result, run());
        EXPECT_EQ(step.boots, gBoots.load());
        const std::string t = traces();
        // Steps before the threading set-up run before the main thread has its name.
        const size_t at = t.find(std::string(" sys_kestrel_appbase_application_base_QFApplication: ") + step.message);
        ASSERT_NE(std::string::npos, at);
        EXPECT_EQ(0u, t.compare(t.rfind('\n', at) + 1, 6, "ERROR "));
        EXPECT_EQ(step.threadsRan, t.find("shutdown sequence finished") != std::string::npos);
        EXPECT_NE(std::string::npos,
                  t.find("terminating application with exit code " + std::to_string(step.result)));
    }
}

}  // namespace
