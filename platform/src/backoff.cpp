#include "hu/backoff.h"

#include <time.h>

#include <cerrno>

namespace hu {

long Backoff::next() {
    current_ms_ = current_ms_ == 0 ? first_ms_ : current_ms_ * 2;
    if (current_ms_ > max_ms_) current_ms_ = max_ms_;
    return current_ms_;
}

void sleepMs(long ms) {
    timespec left{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

}  // namespace hu
