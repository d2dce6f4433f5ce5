// The calling thread's pending TimerTimeout, taken by the next blocking call it covers.
#pragma once

#include <cstdint>

namespace hu::timeout {

struct Pending {
    unsigned flags = 0;
    uint64_t nanoseconds = 0;
    bool set = false;
};

// The time-out armed for blocking calls of `kind` (for example _NTO_TIMEOUT_INTR); cleared
// either way, since a time-out covers only the next blocking call.
Pending take(unsigned kind);

}  // namespace hu::timeout
