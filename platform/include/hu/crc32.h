// CRC-32/BZIP2: polynomial 0x04C11DB7, initial value 0xFFFFFFFF, no reflection, final
// complement. A CRC stored most significant byte first after the bytes it covers makes the
// whole range check to kCrc32Bzip2Residue.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hu {

constexpr uint32_t kCrc32Bzip2Residue = 0x38FB2284;

uint32_t crc32Bzip2(const void* data, size_t length);

}  // namespace hu
