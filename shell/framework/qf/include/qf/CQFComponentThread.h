// A component thread: a named thread that runs posted work, event deliveries and timer
// expiries one after another, in order. Everything of a component happens on its thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "qf/CQFString.h"
#include "qf/CQFThread.h"

class CQFTimer;

class CQFComponentThread {
public:
    explicit CQFComponentThread(const CQFString& name);
    ~CQFComponentThread();  // stops and joins
    CQFComponentThread(const CQFComponentThread&) = delete;
    CQFComponentThread& operator=(const CQFComponentThread&) = delete;

    // Starts the thread; onStart runs first on it (for example to create the component).
    bool start(std::function<void()> onStart = {});
    // Ends the loop after the current item (queued work is dropped) and joins. onStop runs on
    // the thread as its last action (for example to destroy the component).
    void stop(std::function<void()> onStop = {});
    // Queues work for the thread; false after stop.
    bool post(std::function<void()> work);
    const CQFString& getName() const { return mThread.getName(); }
    CQFThread& getThread() { return mThread; }

    // The component thread the caller runs on, or null.
    static CQFComponentThread* current();

private:
    friend class CQFTimer;
    using Clock = std::chrono::steady_clock;
    void loop(const std::function<void()>& onStart);
    void addTimer(CQFTimer* timer);
    void removeTimer(CQFTimer* timer);
    void fireDueTimers();  // with mMutex held on entry and exit

    CQFThread mThread;
    std::mutex mMutex;
    std::condition_variable mWake;
    std::deque<std::function<void()>> mWork;
    std::vector<CQFTimer*> mTimers;
    std::function<void()> mOnStop;
    bool mStopping = false;
    bool mRunning = false;
};
