// Builds the bytes of a settings page: version byte, lookup table size, table of
// (key u32, length u16) entries, then the data blocks in table order, little-endian.
#pragma once

#include <cstdint>
#include <vector>

namespace hu::pagewriter {

class PageImage {
public:
    // A raw block under key (a custom key's value, or any block a test wants to shape itself).
    PageImage& add(uint32_t key, const std::vector<uint8_t>& block);
    // Coding block `number`: its version (u16) followed by the coding bytes.
    PageImage& addCodingBlock(uint32_t number, uint16_t version, const std::vector<uint8_t>& data);
    // The adjust block under key 0x80000000: a 12-byte header of 0xFF with the version in byte 8,
    // then the image.
    PageImage& addAdjust(uint8_t version, const std::vector<uint8_t>& image);

    // The page; blocks longer than a table entry can describe (65535 bytes) are refused by
    // add(), so the table is always consistent.
    std::vector<uint8_t> build(uint8_t pageVersion = 1) const;

private:
    struct Entry {
        uint32_t key;
        std::vector<uint8_t> block;
    };
    std::vector<Entry> entries_;
};

}  // namespace hu::pagewriter
