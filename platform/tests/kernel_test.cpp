// Pulses and timers, interrupts and kernel time-outs.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include <gtest/gtest.h>

#include "hu/backoff.h"
#include "hu/interrupt_line.h"
#include "hu/neutrino.h"
#include "hu/resmgr.h"
#include "hu/trace.h"
#include "hu_testing.h"

namespace {

struct TickCounter {
    int ticks = 0;
    int last_value = -1;
};

int onTick(message_context_t* /*ctp*/, int /*code*/, unsigned /*flags*/, void* handle) {
    static_cast<TickCounter*>(handle)->ticks++;
    return 0;
}

TEST(PulseTimerTest, PeriodicTimerPulsesArriveRepeatedlyThroughTheDispatchLoop) {
    hu::testing::TempRoot root;
    dispatch_t* dpp = dispatch_create();
    ASSERT_NE(nullptr, dpp);
    TickCounter counter;
    int code = pulse_attach(dpp, MSG_FLAG_ALLOC_PULSE, 0, onTick, &counter);
    ASSERT_GE(code, _PULSE_CODE_MINAVAIL);
    EXPECT_NE(code, pulse_attach(dpp, MSG_FLAG_ALLOC_PULSE, 0, onTick, &counter));
    int coid = message_connect(dpp, MSG_FLAG_SIDE_CHANNEL);
    ASSERT_GE(coid, 0);
    sigevent event;
    SIGEV_PULSE_INIT(&event, coid, SIGEV_PULSE_PRIO_INHERIT, code, 0);
    int timer = TimerCreate(CLOCK_REALTIME, &event);
    ASSERT_GE(timer, 0);
    _itimer every{10000000, 10000000};
    ASSERT_EQ(0, TimerSettime(timer, 0, &every, nullptr));

    dispatch_context_t* ctp = dispatch_context_alloc(dpp);
    while (counter.ticks < 3) {
        ASSERT_NE(nullptr, dispatch_block(ctp));
        ASSERT_EQ(0, dispatch_handler(ctp));
    }
    EXPECT_EQ(3, counter.ticks);
    TimerDestroy(timer);
    ConnectDetach(coid);
    dispatch_context_free(ctp);
    dispatch_destroy(dpp);
}

TEST(PulseTimerTest, TimerCreateRefusesAnythingButAPulse) {
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    EXPECT_EQ(-1, TimerCreate(CLOCK_REALTIME, &event));
    EXPECT_EQ(EINVAL, errno);
}

class InterruptTest : public ::testing::Test {
protected:
    // The line is driven by another process, as the chip stand-in does.
    static void inChild(void (*action)(int), int intr) {
        pid_t child = fork();
        if (child == 0) {
            action(intr);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
    static int waitWithTimeout(uint64_t ns) {
        TimerTimeout(CLOCK_MONOTONIC, _NTO_TIMEOUT_INTR, nullptr, &ns, nullptr);
        return InterruptWait(0, nullptr);
    }
    hu::testing::TempRoot root_;
};

TEST_F(InterruptTest, RaisedInAnotherProcessWakesTheWaiter) {
    sigevent event;
    SIGEV_INTR_INIT(&event);
    int id = InterruptAttachEvent(1233, &event, _NTO_INTR_FLAGS_TRK_MSK);
    ASSERT_GE(id, 0);
    inChild(hu::irq::pulse, 1233);
    EXPECT_EQ(0, InterruptWait(0, nullptr));
    EXPECT_EQ(0, InterruptUnmask(1233, id));
    InterruptDetach(id);
}

TEST_F(InterruptTest, TimeOutWithoutInterrupt) {
    sigevent event;
    SIGEV_INTR_INIT(&event);
    int id = InterruptAttachEvent(1234, &event, _NTO_INTR_FLAGS_TRK_MSK);
    ASSERT_GE(id, 0);
    EXPECT_EQ(-1, waitWithTimeout(20000000));
    EXPECT_EQ(ETIMEDOUT, errno);
    InterruptDetach(id);
}

TEST_F(InterruptTest, AnAssertedLineFiresAgainAfterEachUnmaskUntilDeasserted) {
    inChild(hu::irq::assertLine, 1233);  // before anyone attached: the level is not lost
    sigevent event;
    SIGEV_INTR_INIT(&event);
    int id = InterruptAttachEvent(1233, &event, _NTO_INTR_FLAGS_TRK_MSK);
    ASSERT_GE(id, 0);
    EXPECT_EQ(0, waitWithTimeout(5000000000));
    // Masked until unmasked, whatever the line does.
    EXPECT_EQ(-1, waitWithTimeout(20000000));
    InterruptUnmask(1233, id);
    EXPECT_EQ(0, waitWithTimeout(5000000000));
    inChild(hu::irq::deassertLine, 1233);
    InterruptUnmask(1233, id);
    EXPECT_EQ(-1, waitWithTimeout(20000000));
    EXPECT_EQ(ETIMEDOUT, errno);
    InterruptDetach(id);
}

TEST(BackoffTest, DoublesUpToItsCapAndStartsOverAfterASuccess) {
    hu::Backoff backoff(10, 100);
    EXPECT_FALSE(backoff.active());
    std::vector<long> pauses;
    for (int i = 0; i < 6; ++i) pauses.push_back(backoff.next());
    EXPECT_EQ((std::vector<long>{10, 20, 40, 80, 100, 100}), pauses);
    EXPECT_TRUE(backoff.active());
    backoff.reset();
    EXPECT_FALSE(backoff.active());
    EXPECT_EQ(10, backoff.next());
}

TEST(ThreadCtlTest, IoPrivilegesAreGranted) { EXPECT_EQ(0, ThreadCtl(_NTO_TCTL_IO, nullptr)); }

TEST(TraceTest, EachEventIsOneLineWithItsCode) {
    hu::testing::TempRoot root;
    EXPECT_EQ(8, trace_logf(200, "irq come"));
    trace_logf(200, "unmask irq, 0x%x, 0x%x, 0x%x", 1, 0, 2);
    EXPECT_EQ("200 irq come\n200 unmask irq, 0x1, 0x0, 0x2\n", hu::testing::readFile(root.host("/var/log/trace")));
}

}  // namespace
