#include "qf/CQFTimer.h"

#include <atomic>
#include <cstdlib>

#include "qf/CQFComponentThread.h"

namespace {

std::atomic<double>& scale() {
    static std::atomic<double> s([] {
        const char* text = std::getenv("QF_TIME_SCALE");
        const double value = text ? std::strtod(text, nullptr) : 1.0;
        return value > 0 ? value : 1.0;
    }());
    return s;
}

}  // namespace

namespace QFTimeScale {
double get() { return scale().load(); }
void set(double factor) { scale() = factor > 0 ? factor : 1.0; }
}  // namespace QFTimeScale

CQFTimer::CQFTimer(IQFTimerConsumer* consumer, const CQFString& name)
    : mConsumer(consumer), mName(name), mOwner(CQFComponentThread::current()) {}

CQFTimer::~CQFTimer() { stop(); }

bool CQFTimer::start(uint32_t milliseconds, uint32_t count) {
    if (!mOwner || !mConsumer) return false;
    stop();
    const auto scaled = std::chrono::duration<double, std::milli>(milliseconds * QFTimeScale::get());
    mPeriod = std::chrono::duration_cast<std::chrono::steady_clock::duration>(scaled);
    mDue = std::chrono::steady_clock::now() + mPeriod;
    mLeft = count;
    mRunning = true;
    mOwner->addTimer(this);
    return true;
}

void CQFTimer::stop() {
    if (!mOwner) return;
    mOwner->removeTimer(this);
    mRunning = false;
}
