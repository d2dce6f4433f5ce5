#include "pagewriter/page_image.h"

#include <stdexcept>

namespace hu::pagewriter {

namespace {

void putU16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t value) {
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

constexpr uint32_t kAdjustKey = 0x80000000;
constexpr size_t kAdjustHeaderSize = 12;
constexpr size_t kAdjustVersionByte = 8;

}  // namespace

PageImage& PageImage::add(uint32_t key, const std::vector<uint8_t>& block) {
    if (block.size() > 0xFFFF) throw std::length_error("page block longer than a table entry can describe");
    entries_.push_back({key, block});
    return *this;
}

PageImage& PageImage::addCodingBlock(uint32_t number, uint16_t version, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> block;
    putU16(block, version);
    block.insert(block.end(), data.begin(), data.end());
    return add(number, block);
}

PageImage& PageImage::addAdjust(uint8_t version, const std::vector<uint8_t>& image) {
    std::vector<uint8_t> block(kAdjustHeaderSize, 0xFF);
    block[kAdjustVersionByte] = version;
    block.insert(block.end(), image.begin(), image.end());
    return add(kAdjustKey, block);
}

std::vector<uint8_t> PageImage::build(uint8_t pageVersion) const {
    std::vector<uint8_t> page{pageVersion};
    putU16(page, static_cast<uint32_t>(entries_.size() * 6));
    for (const Entry& entry : entries_) {
        putU32(page, entry.key);
        putU16(page, static_cast<uint32_t>(entry.block.size()));
    }
    for (const Entry& entry : entries_) page.insert(page.end(), entry.block.begin(), entry.block.end());
    return page;
}

}  // namespace hu::pagewriter
