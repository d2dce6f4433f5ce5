// A growing pause between attempts at something that keeps failing (a device that does not
// answer, a peer that refuses): doubles after every failed attempt up to a cap, and starts
// over after a success, so a dead partner costs a few wake-ups a second instead of a busy loop.
#pragma once

namespace hu {

class Backoff {
public:
    Backoff(long first_ms, long max_ms) : first_ms_(first_ms), max_ms_(max_ms) {}

    // The pause before the next attempt; the one after it is twice as long, up to the cap.
    long next();
    // After a success: the next failure pauses `first_ms` again.
    void reset() { current_ms_ = 0; }
    // Whether a run of failures is going on.
    bool active() const { return current_ms_ != 0; }

private:
    long first_ms_;
    long max_ms_;
    long current_ms_ = 0;
};

// Sleeps the whole time, also when a signal handler interrupts it.
void sleepMs(long ms);

}  // namespace hu
