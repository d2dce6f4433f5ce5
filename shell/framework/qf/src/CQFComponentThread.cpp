#include "qf/CQFComponentThread.h"

#include <algorithm>

#include "qf/CQFTimer.h"

namespace {
thread_local CQFComponentThread* tCurrent = nullptr;
}

CQFComponentThread::CQFComponentThread(const CQFString& name) : mThread(name) {}

CQFComponentThread::~CQFComponentThread() { stop(); }

CQFComponentThread* CQFComponentThread::current() { return tCurrent; }

bool CQFComponentThread::start(std::function<void()> onStart) {
    {
        std::lock_guard<std::mutex> lock(mMutex);
        if (mRunning) return false;
        mRunning = true;
        mStopping = false;
    }
    if (!mThread.start([this, onStart] { loop(onStart); })) {
        std::lock_guard<std::mutex> lock(mMutex);
        mRunning = false;
        return false;
    }
    return true;
}

void CQFComponentThread::stop(std::function<void()> onStop) {
    {
        std::lock_guard<std::mutex> lock(mMutex);
        if (!mRunning) return;
        mStopping = true;
        mOnStop = std::move(onStop);
        mWake.notify_one();
    }
    mThread.join();
    // Work never run is dropped outside the lock: destroying it may release objects whose
    // destructors post or lock elsewhere.
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mRunning = false;
        dropped.swap(mWork);
    }
}

bool CQFComponentThread::post(std::function<void()> work) {
    {
        std::lock_guard<std::mutex> lock(mMutex);
        if (!mRunning || mStopping) return false;
        mWork.push_back(std::move(work));
    }
    // Woken after the lock is free, the thread need not wait for it again at once.
    mWake.notify_one();
    return true;
}

void CQFComponentThread::loop(const std::function<void()>& onStart) {
    tCurrent = this;
    if (onStart) onStart();
    std::unique_lock<std::mutex> lock(mMutex);
    while (!mStopping) {
        fireDueTimers();
        if (mStopping) break;
        if (!mWork.empty()) {
            {
                std::function<void()> work = std::move(mWork.front());
                mWork.pop_front();
                lock.unlock();
                work();
            }  // and destroyed before the lock is taken again
            lock.lock();
            continue;
        }
        auto next = std::min_element(mTimers.begin(), mTimers.end(),
                                     [](const CQFTimer* a, const CQFTimer* b) { return a->mDue < b->mDue; });
        if (next == mTimers.end()) {
            mWake.wait(lock);
        } else {
            mWake.wait_until(lock, (*next)->mDue);
        }
    }
    std::function<void()> onStop = std::move(mOnStop);
    lock.unlock();
    if (onStop) onStop();
    tCurrent = nullptr;
}

void CQFComponentThread::fireDueTimers() {
    for (;;) {
        const auto now = Clock::now();
        auto due = std::find_if(mTimers.begin(), mTimers.end(), [now](const CQFTimer* t) { return t->mDue <= now; });
        if (due == mTimers.end()) return;
        CQFTimer* timer = *due;
        if (timer->mLeft == 1) {
            mTimers.erase(due);
            timer->mRunning = false;
        } else {
            if (timer->mLeft > 1) --timer->mLeft;
            timer->mDue += timer->mPeriod;
        }
        // The consumer runs unlocked and may start, stop or destroy timers.
        mMutex.unlock();
        timer->mConsumer->processTimer(*timer);
        mMutex.lock();
    }
}

void CQFComponentThread::addTimer(CQFTimer* timer) {
    std::lock_guard<std::mutex> lock(mMutex);
    if (std::find(mTimers.begin(), mTimers.end(), timer) == mTimers.end()) mTimers.push_back(timer);
    mWake.notify_one();
}

void CQFComponentThread::removeTimer(CQFTimer* timer) {
    std::lock_guard<std::mutex> lock(mMutex);
    mTimers.erase(std::remove(mTimers.begin(), mTimers.end(), timer), mTimers.end());
}
