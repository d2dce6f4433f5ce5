// Builds an IPL area of three copies with real header and program CRCs.
#pragma once

#include <cstdint>
#include <vector>

#include "hu/ipl.h"

struct IplCopy {
    bool signature = true;  // both magics in place
    uint32_t version = 0;
    uint32_t hw_id = 0;
    uint32_t options = hu::ipl::kOptionFailSafe | hu::ipl::kOptionHeaderCrc | hu::ipl::kOptionProgramCrc;
    uint32_t length = 0x1000;  // program length, counted from the region start
};

// copies in region order: fallback, secondary, primary. The program CRC is written only
// when it fits the region.
std::vector<uint8_t> buildIplArea(const IplCopy copies[hu::ipl::kRegionCount]);

// Stores value at p, most significant byte first, as the CRC fields are kept.
void putBigEndian(uint8_t* p, uint32_t value);
