#include "qf/CQFJobExecutor.h"

#include <signal.h>

#include <chrono>

namespace {

CQFString workerName(const CQFString& name) {
    IQFThreadConfigurator* configurator = QFThreading::getConfigurator();
    if (!configurator) return name;
    const CQFString mapped = configurator->getWorkerThreadName(name);
    return mapped.isEmpty() ? name : mapped;
}

void onInterrupt(int) {}

void installInterruptHandler() {
    static const bool installed = [] {
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no SA_RESTART: the blocked call returns EINTR
        return sigaction(SIGURG, &action, nullptr) == 0;
    }();
    (void)installed;
}

}  // namespace

CQFJobExecutor::CQFJobExecutor(const CQFString& name, bool startNow) : mThread(workerName(name), name) {
    if (startNow) start();
}

CQFJobExecutor::~CQFJobExecutor() { stop(); }

bool CQFJobExecutor::start() {
    installInterruptHandler();
    std::lock_guard<std::mutex> lock(mMutex);
    if (mServing || mStopped) return false;
    mServing = mThread.start([this] { serve(); });
    return mServing;
}

int CQFJobExecutor::execute(CQFJob* job, int priority) {
    std::unique_ptr<CQFJob> owned(job);
    int id;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        if (mStopping || mStopped || !owned) return -1;
        auto at = mQueue.begin();
        while (at != mQueue.end() && at->priority >= priority) ++at;
        mQueue.insert(at, Entry{std::move(owned), priority});
        id = ++mLastId;
    }
    // Woken after the lock is free, the worker need not wait for it again at once.
    mWake.notify_one();
    return id;
}

void CQFJobExecutor::cancelAll() {
    std::deque<Entry> dropped;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        dropped.swap(mQueue);
    }
}

void CQFJobExecutor::stop() {
    std::unique_lock<std::mutex> lock(mMutex);
    if (mStopped) return;
    mStopping = true;
    mWake.notify_one();
    while (mServing) {
        if (mFinished.wait_for(lock, std::chrono::milliseconds(20), [this] { return !mServing; })) break;
        pthread_kill(mThread.getNativeHandle(), SIGURG);
    }
    mStopped = true;
    lock.unlock();
    mThread.join();
    cancelAll();
}

void CQFJobExecutor::serve() {
    std::unique_lock<std::mutex> lock(mMutex);
    for (;;) {
        mWake.wait(lock, [this] { return mStopping || !mQueue.empty(); });
        if (mStopping) break;
        Entry entry = std::move(mQueue.front());
        mQueue.pop_front();
        lock.unlock();
        const bool done = entry.job->work();
        lock.lock();
        if (!done && !mStopping) {
            auto at = mQueue.begin();
            while (at != mQueue.end() && at->priority >= entry.priority) ++at;
            mQueue.insert(at, std::move(entry));
        }
    }
    mServing = false;
    mFinished.notify_all();
}
