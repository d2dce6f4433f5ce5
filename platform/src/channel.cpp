// Channels, connections and pulses; pulse timers; per-thread kernel time-outs.
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "hu/neutrino.h"
#include "registry.h"
#include "timeout.h"

int ChannelCreate(unsigned /*flags*/) { return hu::registry::createChannel(); }

int ChannelDestroy(int chid) { return hu::registry::destroyChannel(chid) ? 0 : -1; }

int ConnectAttach(uint32_t /*nd*/, pid_t pid, int chid, unsigned /*index*/, int /*flags*/) {
    if (pid != 0 && pid != getpid()) {
        errno = ESRCH;  // channels are reachable inside their own process only
        return -1;
    }
    return hu::registry::connectChannel(chid);
}

int ConnectDetach(int coid) { return close(coid); }

int MsgSendPulse(int coid, int /*priority*/, int code, int value) {
    hu::registry::Pulse pulse{code, value};
    ssize_t sent;
    do {
        sent = send(coid, &pulse, sizeof pulse, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(sizeof pulse) ? 0 : -1;
}

namespace {

using Clock = std::chrono::steady_clock;

// A timer thread must never take a signal meant for the process's own threads.
template <typename Body>
std::thread startWithSignalsBlocked(Body body) {
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    std::thread thread(std::move(body));
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return thread;
}

// One pulse timer: a thread that sleeps until the next expiry and sends the pulse.
class PulseTimer {
public:
    explicit PulseTimer(const sigevent& event) : event_(event), thread_(startWithSignalsBlocked([this] { run(); })) {}
    ~PulseTimer() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    void arm(uint64_t first_ns, uint64_t interval_ns, _itimer* old) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (old != nullptr) {
            old->interval_nsec = interval_.count();
            old->nsec = armed_ ? std::chrono::duration_cast<std::chrono::nanoseconds>(next_ - Clock::now()).count() : 0;
        }
        armed_ = first_ns != 0;
        next_ = Clock::now() + std::chrono::nanoseconds(first_ns);
        interval_ = std::chrono::nanoseconds(interval_ns);
        changed_.notify_all();
    }

private:
    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stopping_) {
            if (!armed_) {
                changed_.wait(lock);
                continue;
            }
            if (changed_.wait_until(lock, next_) != std::cv_status::timeout || !armed_ || stopping_) continue;
            if (Clock::now() < next_) continue;
            MsgSendPulse(event_.sigev_signo, -1, event_._sigev_un._tid, event_.sigev_value.sival_int);
            if (interval_.count() == 0) {
                armed_ = false;
            } else {
                next_ += interval_;
            }
        }
    }

    const sigevent event_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    bool armed_ = false;
    Clock::time_point next_{};
    std::chrono::nanoseconds interval_{0};
    std::thread thread_;
};

std::mutex g_timers_mutex;
std::map<int, std::unique_ptr<PulseTimer>> g_timers;
int g_next_timer = 1;

thread_local hu::timeout::Pending t_timeout;

}  // namespace

int TimerCreate(clockid_t /*id*/, const struct sigevent* event) {
    if (event == nullptr || event->sigev_notify != SIGEV_PULSE) {
        errno = EINVAL;
        return -1;
    }
    std::lock_guard<std::mutex> lock(g_timers_mutex);
    int id = g_next_timer++;
    g_timers[id] = std::make_unique<PulseTimer>(*event);
    return id;
}

int TimerSettime(int id, int flags, const struct _itimer* itime, struct _itimer* oitime) {
    if (itime == nullptr || (flags & TIMER_ABSTIME)) {
        errno = EINVAL;  // relative expiries only
        return -1;
    }
    std::lock_guard<std::mutex> lock(g_timers_mutex);
    auto it = g_timers.find(id);
    if (it == g_timers.end()) {
        errno = EINVAL;
        return -1;
    }
    it->second->arm(itime->nsec, itime->interval_nsec, oitime);
    return 0;
}

int TimerDestroy(int id) {
    std::unique_ptr<PulseTimer> timer;
    {
        std::lock_guard<std::mutex> lock(g_timers_mutex);
        auto it = g_timers.find(id);
        if (it == g_timers.end()) {
            errno = EINVAL;
            return -1;
        }
        timer = std::move(it->second);
        g_timers.erase(it);
    }
    return 0;
}

int TimerTimeout(clockid_t id, int flags, const struct sigevent* /*notify*/, const uint64_t* ntime, uint64_t* otime) {
    if (otime != nullptr) *otime = 0;
    if (ntime == nullptr) {
        t_timeout = {};
        return 0;
    }
    uint64_t relative = *ntime;
    if (flags & TIMER_ABSTIME) {
        timespec now{};
        clock_gettime(id, &now);
        uint64_t now_ns = static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
        relative = *ntime > now_ns ? *ntime - now_ns : 0;
    }
    t_timeout = {static_cast<unsigned>(flags) & ~static_cast<unsigned>(TIMER_ABSTIME), relative, true};
    return 0;
}

int ThreadCtl(int cmd, void* /*data*/) {
    if (cmd == _NTO_TCTL_IO) return 0;
    errno = EINVAL;
    return -1;
}

namespace hu::timeout {
Pending take(unsigned kind) {
    Pending pending = t_timeout;
    t_timeout = {};
    if (!pending.set || (pending.flags & kind) == 0) return {};
    return pending;
}
}  // namespace hu::timeout
