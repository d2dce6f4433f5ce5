// The chip's registers described as data: access class and reset value of every register
// that is not a plain read-write register resetting to 0, and the status latches behind
// each interrupt line.
#pragma once

#include <cstdint>
#include <vector>

namespace adv748x_sim {

enum class Access {
    ReadWrite,
    ReadOnly,         // the chip's own status: bus writes are ignored
    WriteOneToClear,  // writing ones clears those bits in the latch `target`
};

struct RegDesc {
    int map;
    uint8_t first, last;  // a range of registers with the same description
    Access access;
    uint8_t reset;
    int target_delta;  // WriteOneToClear: latch = register - target_delta
};

const std::vector<RegDesc>& registerDescriptions();

// An interrupt line is asserted while any latch has a bit set that its enable register enables.
struct LatchEnable {
    int map;
    uint8_t latch;
    uint8_t enable;
};
struct InterruptLine {
    int intr;
    std::vector<LatchEnable> sources;
};
const std::vector<InterruptLine>& interruptLines();

constexpr int kChipIntr = 1233;
constexpr int kCbusIntr = 1234;

}  // namespace adv748x_sim
