// Jobs on one named worker thread. A job's work() returns true when done; a job that returns
// false goes back into the queue and runs again. Higher priority runs first, equal
// priorities in order of arrival. The executor owns the jobs given to it and deletes them
// when done or cancelled.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "qf/CQFString.h"
#include "qf/CQFThread.h"

class CQFJob {
public:
    virtual ~CQFJob() = default;
    virtual bool work() = 0;
};

class CQFJobExecutor {
public:
    // The thread runs under the current component's worker-thread name for name (see
    // IQFThreadConfigurator::getWorkerThreadName); start false defers start().
    CQFJobExecutor(const CQFString& name, bool start);
    ~CQFJobExecutor();  // stop()
    CQFJobExecutor(const CQFJobExecutor&) = delete;
    CQFJobExecutor& operator=(const CQFJobExecutor&) = delete;

    bool start();
    // Queues job and returns its id (from 1 up), or -1 (job deleted) once stopped.
    int execute(CQFJob* job, int priority = 127);
    // Drops the queued jobs; a running job completes its current work() call.
    void cancelAll();
    // Ends the worker after its current work() call and joins it. A job blocked in a system
    // call (reading a terminal) is interrupted by a signal (SIGURG, handled as a no-op by the
    // framework), so its call returns EINTR.
    void stop();
    const CQFString& getThreadName() const { return mThread.getName(); }

private:
    struct Entry {
        std::unique_ptr<CQFJob> job;
        int priority;
    };
    void serve();

    CQFThread mThread;
    std::mutex mMutex;
    std::condition_variable mWake, mFinished;
    std::deque<Entry> mQueue;
    int mLastId = 0;
    bool mStopping = false;
    bool mStopped = false;
    bool mServing = false;
};
