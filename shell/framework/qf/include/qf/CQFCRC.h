// Checksums of the framework. Type 1 is CRC-32 (the platform's CRC-32/BZIP2).
#pragma once

#include <cstddef>
#include <cstdint>

#include "hu/crc32.h"

class CQFCRC {
public:
    enum EType { eCRC32 = 1 };
    static uint32_t compute(EType type, const void* data, size_t length) {
        return type == eCRC32 ? hu::crc32Bzip2(data, length) : 0;
    }
};
