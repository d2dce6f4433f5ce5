#include "hu/crc32.h"

namespace hu {
namespace {

struct Table {
    uint32_t entry[256];
    Table() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i << 24;
            for (int bit = 0; bit < 8; ++bit) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
            entry[i] = c;
        }
    }
};

}  // namespace

uint32_t crc32Bzip2(const void* data, size_t length) {
    static const Table table;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) crc = (crc << 8) ^ table.entry[(crc >> 24) ^ p[i]];
    return ~crc;
}

}  // namespace hu
