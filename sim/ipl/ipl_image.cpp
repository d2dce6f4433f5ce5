#include "ipl_image.h"

#include "hu/crc32.h"

namespace {

using namespace hu::ipl;

void putWord(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

void buildCopy(uint8_t* region, const IplCopy& copy) {
    putWord(region + kHwIdOffset, copy.hw_id);
    putWord(region + kMagic1Offset, copy.signature ? kMagic1 : kMagic1 ^ 1);
    putWord(region + kMagic2Offset, copy.signature ? kMagic2 : 0);
    putWord(region + kLengthOffset, copy.length);
    putWord(region + kVersionOffset, copy.version);
    putWord(region + kOptionsOffset, copy.options);
    if (copy.options & kOptionHeaderCrc) putBigEndian(region + kHeaderCrcOffset, hu::crc32Bzip2(region, kHeaderCrcOffset));

    uint32_t program_end = copy.length < kRegionSize ? copy.length : kRegionSize;
    for (uint32_t i = kHeaderEnd; i < program_end; ++i) region[i] = static_cast<uint8_t>(i * 7 + copy.version);
    uint32_t start = (copy.options & kOptionHeaderCrc) ? kHeaderEnd : 0;
    if ((copy.options & kOptionProgramCrc) && copy.length >= start && copy.length <= kRegionSize - 4) {
        putBigEndian(region + copy.length, hu::crc32Bzip2(region + start, copy.length - start));
    }
}

}  // namespace

void putBigEndian(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

std::vector<uint8_t> buildIplArea(const IplCopy copies[kRegionCount]) {
    std::vector<uint8_t> area(kAreaSize, 0xFF);
    for (int region = 0; region < kRegionCount; ++region) buildCopy(area.data() + regionOffset(region), copies[region]);
    return area;
}
