#include "chip_regmap.h"

#include "chip_maps.h"

namespace adv748x_sim {
namespace {

// IO map interrupt groups: raw status, latch, clear, enable in four consecutive registers.
const uint8_t kIoLatches[] = {0x44, 0x4A, 0x4F, 0x68, 0x6D, 0x72, 0x81, 0x86, 0x8B, 0x90};

std::vector<RegDesc> describe() {
    std::vector<RegDesc> d = {
        {IO, 0xDF, 0xDF, Access::ReadOnly, 0x74, 0},  // chip id
        {IO, 0xE0, 0xE0, Access::ReadOnly, 0x81, 0},
        {REP, 0x39, 0x39, Access::ReadOnly, 0x00, 0},  // audio channel status, sampling frequency
        {REP, 0x76, 0x76, Access::ReadOnly, 0x00, 0},  // EDID access status
        {HDMI, 0x04, 0x04, Access::ReadOnly, 0x00, 0},  // receiver status
        {HDMI, 0x07, 0x07, Access::ReadOnly, 0x00, 0},
        {HDMI, 0x36, 0x3A, Access::ReadOnly, 0x00, 0},  // status block
        {CP, 0x68, 0x68, Access::ReadWrite, 0xF0, 0},  // colour-space conversion in automatic mode
        // Power-on values of configuration registers (not all zero on a real chip either).
        {IO, 0x04, 0x04, Access::ReadWrite, 0xFF, 0},
        {IO, 0x0F, 0x0F, Access::ReadWrite, 0x0C, 0},
        {IO, 0x1D, 0x1D, Access::ReadWrite, 0x60, 0},
        {IO, 0x41, 0x41, Access::ReadWrite, 0x0F, 0},
        {CP, 0x7C, 0x7C, Access::ReadWrite, 0xC5, 0},
        {HDMI, 0x0F, 0x0F, Access::ReadWrite, 0x3F, 0},
        {HDMI, 0x1A, 0x1A, Access::ReadWrite, 0xFF, 0},
        {HDMI, 0x83, 0x83, Access::ReadWrite, 0x03, 0},
        {REP, 0x7A, 0x7A, Access::ReadWrite, 0x0F, 0},
        {REP, 0x7D, 0x7D, Access::ReadWrite, 0x01, 0},
        {TXA, 0x00, 0x00, Access::ReadWrite, 0x81, 0},
        {TXA, 0xF0, 0xF0, Access::ReadWrite, 0x01, 0},
        {TXB, 0x00, 0x00, Access::ReadWrite, 0x01, 0},
        {TXB, 0xF0, 0xF0, Access::ReadWrite, 0x01, 0},
        {CBUS, 0x02, 0x02, Access::ReadOnly, 0x00, 0},  // hardware state, EDID ready
        {CBUS, 0x10, 0x12, Access::ReadOnly, 0x00, 0},  // sideband interrupt latches
        {CBUS, 0x13, 0x15, Access::WriteOneToClear, 0x00, 3},
        {CBUS, 0x28, 0x28, Access::ReadOnly, 0x00, 0},  // sequencer state
        {CBUS, 0x30, 0x30, Access::ReadOnly, 0x00, 0},  // receive counts
        {CBUS, 0x32, 0x32, Access::ReadOnly, 0x00, 0},
        {CBUS, 0x50, 0x53, Access::ReadOnly, 0x00, 0},  // receive flags
        {CBUS, 0x70, 0x73, Access::ReadOnly, 0x00, 0},
        {CBUS, 0xA0, 0xBF, Access::ReadOnly, 0x00, 0},  // receive data
        {CBUS, 0xE0, 0xFF, Access::ReadOnly, 0x00, 0},
    };
    for (uint8_t latch : kIoLatches) {
        d.push_back({IO, static_cast<uint8_t>(latch - 1), latch, Access::ReadOnly, 0x00, 0});
        d.push_back({IO, static_cast<uint8_t>(latch + 1), static_cast<uint8_t>(latch + 1), Access::WriteOneToClear, 0x00, 1});
    }
    return d;
}

std::vector<InterruptLine> lines() {
    InterruptLine chip{kChipIntr, {}};
    for (uint8_t latch : kIoLatches) chip.sources.push_back({IO, latch, static_cast<uint8_t>(latch + 2)});
    InterruptLine cbus{kCbusIntr, {{CBUS, 0x10, 0x16}, {CBUS, 0x11, 0x17}, {CBUS, 0x12, 0x18}}};
    return {chip, cbus};
}

}  // namespace

const std::vector<RegDesc>& registerDescriptions() {
    static const std::vector<RegDesc> descriptions = describe();
    return descriptions;
}

const std::vector<InterruptLine>& interruptLines() {
    static const std::vector<InterruptLine> all = lines();
    return all;
}

}  // namespace adv748x_sim
