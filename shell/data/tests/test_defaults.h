// A small catalogue of our own for the tests: a few keys, coding block 7 with three functions,
// an adjust block, their defaults image, and a layout translation to major 4 in which one
// function does not exist and one lies elsewhere. install() plugs it in.
#pragma once

#include <cstdint>

namespace test_defaults {

constexpr uint32_t kBlock = 7;
constexpr uint32_t kBlockSize = 132;  // coding bytes, without the version

constexpr uint32_t codingBitField(uint32_t block, uint32_t byte, uint32_t mask) {
    return (1u << 30) | (block << 23) | (byte << 11) | (mask << 3);
}
constexpr uint32_t codingMultiByte(uint32_t block, uint32_t byte, uint32_t length) {
    return (1u << 30) | (1u << 29) | (block << 23) | (byte << 11) | length;
}
constexpr uint32_t adjust(uint32_t offset, uint32_t length) { return (2u << 30) | (offset << 16) | length; }

constexpr uint32_t kBit0 = 0x43840008;                     // block 7, byte 128, mask 0x01
constexpr uint32_t kBits45 = codingBitField(7, 129, 0x30);  // block 7, byte 129, mask 0x30
constexpr uint32_t kTriple = codingMultiByte(7, 1, 3);      // block 7, bytes 1-3
constexpr uint32_t kAbsentIn4 = codingBitField(7, 130, 0x80);
constexpr uint32_t kMovedIn4 = codingBitField(7, 131, 0x01);  // read at kMovedTo in layout 4
constexpr uint32_t kMovedTo = codingBitField(7, 2, 0x02);

constexpr uint32_t kAdjustSize = 44;  // 12-byte header + 32 image bytes
constexpr uint32_t kAdjustBlock = adjust(0, kAdjustSize);
constexpr uint32_t kAdjustWord = adjust(12, 4);

constexpr uint32_t kVin = 0xF0001002;         // 17 bytes, default a single zero byte
constexpr uint32_t kEightByteKey = 0xF0000008;  // 8 bytes, default 01 02 03 04
constexpr uint32_t kDefaultsOnlyKey = 0xF0000009;  // 2 bytes, default aa bb; test pages lack it
constexpr uint32_t kMirrorKey = 0xE0000001;   // 1 byte
constexpr uint32_t kUnknownKey = 0xF00000FF;  // in no catalogue

void install();

}  // namespace test_defaults
