// Component threads, events, jobs and timers on real threads.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hu_testing.h"
#include "qf/CQFComponentThread.h"
#include "qf/CQFEvent.h"
#include "qf/CQFJobExecutor.h"
#include "qf/CQFTimer.h"

namespace {

using hu::testing::waitUntil;

class CNumberEvent : public CQFInternalEvent {
public:
    QF_DECLARE_EVENT_CLASS(CNumberEvent)
    explicit CNumberEvent(int value) : mValue(value) {}
    int mValue;
};

class COtherEvent : public CQFInternalEvent {
public:
    QF_DECLARE_EVENT_CLASS(COtherEvent)
};

// Records what arrives and on which thread.
class CRecorder : public IQFEventConsumer<CNumberEvent>, public IQFEventConsumer<COtherEvent> {
public:
    void processEvent(CNumberEvent& event) override {
        std::lock_guard<std::mutex> lock(mMutex);
        mValues.push_back(event.mValue);
        mThreads.push_back(CQFThread::currentName());
    }
    void processEvent(COtherEvent&) override { ++mOthers; }
    std::vector<int> values() {
        std::lock_guard<std::mutex> lock(mMutex);
        return mValues;
    }
    std::vector<std::string> threads() {
        std::lock_guard<std::mutex> lock(mMutex);
        return mThreads;
    }
    std::atomic<int> mOthers{0};

private:
    std::mutex mMutex;
    std::vector<int> mValues;
    std::vector<std::string> mThreads;
};

// Runs fn on thread and waits for it.
void runOn(CQFComponentThread& thread, std::function<void()> fn) {
    std::atomic<bool> done{false};
    ASSERT_TRUE(thread.post([&] {
        fn();
        done = true;
    }));
    ASSERT_TRUE(waitUntil([&] { return done.load(); }));
}

TEST(CQFEventTest, DeliveredInOrderOnTheListenersThreadByClass) {
    EXPECT_NE(CNumberEvent::classID(), COtherEvent::classID());
    EXPECT_STREQ("CNumberEvent", CNumberEvent::classID().getName());

    CRecorder recorder;
    CQFComponentThread thread("Listener");
    ASSERT_TRUE(thread.start());
    runOn(thread, [&] {
        CQFEvent::addListener<CNumberEvent>(&recorder);
        CQFEvent::addListener<COtherEvent>(&recorder);
    });
    for (int i = 0; i < 20; ++i) EXPECT_TRUE((new CNumberEvent(i))->send());
    EXPECT_TRUE((new COtherEvent)->send());
    ASSERT_TRUE(waitUntil([&] { return recorder.values().size() == 20 && recorder.mOthers == 1; }));
    std::vector<int> expected;
    for (int i = 0; i < 20; ++i) expected.push_back(i);
    EXPECT_EQ(expected, recorder.values());
    for (const std::string& name : recorder.threads()) EXPECT_EQ("Listener", name);

    runOn(thread, [&] { CQFEvent::removeListener<CNumberEvent>(&recorder); });
    EXPECT_FALSE((new CNumberEvent(99))->send());  // no listener: deleted, nothing delivered
    runOn(thread, [] {});
    EXPECT_EQ(20u, recorder.values().size());
    runOn(thread, [&] { CQFEvent::removeListener<COtherEvent>(&recorder); });
}

TEST(CQFEventTest, AddListenerNeedsAComponentThread) {
    CRecorder recorder;
    EXPECT_FALSE(CQFEvent::addListener<CNumberEvent>(&recorder));
}

class CCountingJob : public CQFJob {
public:
    CCountingJob(std::atomic<int>& runs, int doneAfter, std::vector<int>* order = nullptr, int tag = 0,
                 std::mutex* orderMutex = nullptr)
        : mRuns(runs), mDoneAfter(doneAfter), mOrder(order), mTag(tag), mOrderMutex(orderMutex) {}
    bool work() override {
        if (mOrder) {
            std::lock_guard<std::mutex> lock(*mOrderMutex);
            mOrder->push_back(mTag);
        }
        return ++mRuns >= mDoneAfter;
    }

private:
    std::atomic<int>& mRuns;
    int mDoneAfter;
    std::vector<int>* mOrder;
    int mTag;
    std::mutex* mOrderMutex;
};

// Holds the worker until released, so that queued jobs can be arranged behind it.
class CGateJob : public CQFJob {
public:
    CGateJob(std::mutex& m, std::condition_variable& cv, bool& open) : mMutex(m), mCv(cv), mOpen(open) {}
    bool work() override {
        std::unique_lock<std::mutex> lock(mMutex);
        mCv.wait(lock, [this] { return mOpen; });
        return true;
    }

private:
    std::mutex& mMutex;
    std::condition_variable& mCv;
    bool& mOpen;
};

TEST(CQFJobExecutorTest, NotDoneRunsAgainHigherPriorityFirstCancelDrops) {
    CQFJobExecutor executor("TestWorker", true);
    std::atomic<int> runs{0};
    EXPECT_EQ(1, executor.execute(new CCountingJob(runs, 3)));
    ASSERT_TRUE(waitUntil([&] { return runs == 3; }));

    std::mutex m, orderMutex;
    std::condition_variable cv;
    bool open = false;
    std::vector<int> order;
    std::atomic<int> a{0}, b{0}, c{0}, dropped{0};
    executor.execute(new CGateJob(m, cv, open));
    executor.execute(new CCountingJob(a, 1, &order, 1, &orderMutex), 10);
    executor.execute(new CCountingJob(b, 1, &order, 2, &orderMutex), 127);
    executor.execute(new CCountingJob(c, 1, &order, 3, &orderMutex), 127);
    {
        std::lock_guard<std::mutex> lock(m);
        open = true;
    }
    cv.notify_all();
    ASSERT_TRUE(waitUntil([&] { return a + b + c == 3; }));
    EXPECT_EQ((std::vector<int>{2, 3, 1}), order);

    open = false;
    executor.execute(new CGateJob(m, cv, open));
    executor.execute(new CCountingJob(dropped, 1));
    executor.cancelAll();
    {
        std::lock_guard<std::mutex> lock(m);
        open = true;
    }
    cv.notify_all();
    executor.stop();
    EXPECT_EQ(0, dropped);
    EXPECT_EQ(-1, executor.execute(new CCountingJob(dropped, 1)));
}

// A job blocked in read() on a pipe nobody writes.
class CBlockedReadJob : public CQFJob {
public:
    explicit CBlockedReadJob(int fd) : mFd(fd) {}
    bool work() override {
        char c;
        mStarted = true;
        return read(mFd, &c, 1) >= 0;  // EINTR: not done
    }
    static std::atomic<bool> mStarted;

private:
    int mFd;
};
std::atomic<bool> CBlockedReadJob::mStarted{false};

TEST(CQFJobExecutorTest, StopInterruptsAJobBlockedInASystemCall) {
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    {
        CQFJobExecutor executor("BlockedWorker", true);
        executor.execute(new CBlockedReadJob(fds[0]));
        ASSERT_TRUE(waitUntil([] { return CBlockedReadJob::mStarted.load(); }));
        executor.stop();  // returns: the read was interrupted
    }
    close(fds[0]);
    close(fds[1]);
}

TEST(CQFThreadTest, NamesAreVisibleToTheOperatingSystem) {
    std::string comm;
    CQFThread thread("DorerShellFileIOWorkerThread_CfgShell");
    ASSERT_TRUE(thread.start([&] {
        std::ifstream in("/proc/self/task/" + std::to_string(gettid()) + "/comm");
        std::getline(in, comm);
        EXPECT_STREQ("DorerShellFileIOWorkerThread_CfgShell", CQFThread::currentName());
    }));
    ASSERT_TRUE(thread.join());
    EXPECT_EQ("DorerShellFileI", comm);  // the 15 bytes Linux keeps
}

class CTimerRecorder : public IQFTimerConsumer {
public:
    void processTimer(CQFTimer& timer) override {
        mThread = CQFThread::currentName();
        if (++mExpiries == mStopAfter) timer.stop();
    }
    std::atomic<int> mExpiries{0};
    int mStopAfter = 0;
    std::string mThread;
};

TEST(CQFTimerTest, ExpiresOnTheOwnerThreadCountTimesAndScaledByTheTestAid) {
    QFTimeScale::set(0.001);  // 30 s become 30 ms
    CQFComponentThread thread("TimerOwner");
    ASSERT_TRUE(thread.start());
    CTimerRecorder once, periodic;
    periodic.mStopAfter = 3;
    std::unique_ptr<CQFTimer> a, b;
    runOn(thread, [&] {
        a.reset(new CQFTimer(&once, "Once"));
        b.reset(new CQFTimer(&periodic, "Periodic"));
        EXPECT_TRUE(a->start(30000, 1));
        EXPECT_TRUE(b->start(10000, 0));
    });
    ASSERT_TRUE(waitUntil([&] { return once.mExpiries == 1 && periodic.mExpiries == 3; }));
    runOn(thread, [&] {
        EXPECT_FALSE(a->isRunning());
        EXPECT_FALSE(b->isRunning());
    });
    EXPECT_EQ("TimerOwner", once.mThread);
    EXPECT_EQ(1, once.mExpiries.load());
    EXPECT_EQ(3, periodic.mExpiries.load());
    runOn(thread, [&] {
        a.reset();
        b.reset();
    });
    QFTimeScale::set(1);

    CQFTimer orphan(&once, "NoOwner");  // not on a component thread
    EXPECT_FALSE(orphan.start(10));
}

}  // namespace
