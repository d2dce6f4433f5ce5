// Layout of the initial program loader (IPL) at the start of the raw flash: three copies for
// fail-safe booting, each in its own region with a header at fixed offsets (little-endian
// 32-bit words). Shared by the programs that read and the tools that build IPL images.
#pragma once

#include <cstdint>

namespace hu::ipl {

constexpr uint32_t kAreaSize = 0xC0000;
constexpr uint32_t kRegionSize = 0x40000;
enum Region { kFallback = 0, kSecondary = 1, kPrimary = 2, kRegionCount = 3 };
constexpr uint32_t regionOffset(int region) { return static_cast<uint32_t>(region) * kRegionSize; }

constexpr uint32_t kHwIdOffset = 0x1DC;
constexpr uint32_t kMagic1Offset = 0x1E0;
constexpr uint32_t kMagic2Offset = 0x1E4;
constexpr uint32_t kLengthOffset = 0x1EC;  // program length, counted from the region start
constexpr uint32_t kVersionOffset = 0x1F0;  // date code
constexpr uint32_t kOptionsOffset = 0x1F4;
constexpr uint32_t kHeaderCrcOffset = 0x1FC;  // covers bytes 0 .. 0x1FB
constexpr uint32_t kHeaderEnd = 0x200;

constexpr uint32_t kMagic1 = 0x2D6C7069;  // "ipl-"
constexpr uint32_t kMagic2 = 0x3334356F;  // "o543"

constexpr uint32_t kOptionFailSafe = 1u << 0;  // three copies
constexpr uint32_t kOptionHeaderCrc = 1u << 1;
constexpr uint32_t kOptionProgramCrc = 1u << 2;  // CRC stored at region offset length

inline uint32_t word(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace hu::ipl
