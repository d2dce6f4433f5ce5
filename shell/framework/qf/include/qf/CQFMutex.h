// CQFMutex: a recursive mutex (the same thread may lock it again; each lock needs its
// unlock). CQFMutexLocker holds it for a scope.
#pragma once

#include <mutex>

class CQFMutex {
public:
    void lock() { mMutex.lock(); }
    void unlock() { mMutex.unlock(); }

private:
    std::recursive_mutex mMutex;
};

class CQFMutexLocker {
public:
    explicit CQFMutexLocker(CQFMutex& mutex) : mMutex(mutex) { mMutex.lock(); }
    ~CQFMutexLocker() { mMutex.unlock(); }
    CQFMutexLocker(const CQFMutexLocker&) = delete;
    CQFMutexLocker& operator=(const CQFMutexLocker&) = delete;

private:
    CQFMutex& mMutex;
};
