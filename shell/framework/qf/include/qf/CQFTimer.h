// Timers. A CQFTimer belongs to the component thread it was created on; start, stop and the
// expiry (IQFTimerConsumer::processTimer) all happen on that thread.
//
// Test aid: QF_TIME_SCALE (environment, a positive decimal such as 0.01) scales every timer
// duration of the whole process, so a 30 s time-out elapses after 0.3 s. QFTimeScale::set
// does the same inside a test process. Sleeps (QFOperatingSystem::sleepMs) are not scaled.
#pragma once

#include <chrono>
#include <cstdint>

#include "qf/CQFString.h"

class CQFTimer;
class CQFComponentThread;

class IQFTimerConsumer {
public:
    virtual ~IQFTimerConsumer() = default;
    virtual void processTimer(CQFTimer& timer) = 0;
};

class CQFTimer {
public:
    // The owner is the calling thread's component thread (there must be one).
    CQFTimer(IQFTimerConsumer* consumer, const CQFString& name);
    ~CQFTimer();
    CQFTimer(const CQFTimer&) = delete;
    CQFTimer& operator=(const CQFTimer&) = delete;

    // Expires after milliseconds (scaled), count times in all (0: until stopped); a running
    // timer starts over. False without an owner thread.
    bool start(uint32_t milliseconds, uint32_t count = 1);
    void stop();
    bool isRunning() const { return mRunning; }
    const CQFString& getName() const { return mName; }

private:
    friend class CQFComponentThread;
    IQFTimerConsumer* mConsumer;
    CQFString mName;
    CQFComponentThread* mOwner;
    std::chrono::steady_clock::duration mPeriod{};
    std::chrono::steady_clock::time_point mDue{};
    uint32_t mLeft = 0;  // expiries still to come; 0 with mRunning: periodic
    bool mRunning = false;
};

namespace QFTimeScale {
// The factor applied to timer durations (QF_TIME_SCALE, default 1).
double get();
void set(double factor);
}  // namespace QFTimeScale
