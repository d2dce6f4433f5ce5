#include "page_model.h"

#include <algorithm>

#include "DorerItemId.h"
#include "DorerPageGetLib.h"
#include "pagewriter/page_image.h"

namespace hu::sysetsrv {

namespace {

constexpr size_t kBlockVersionSize = 2;  // a coding block's data follows its version

uint32_t readLe(const uint8_t* bytes, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i > 0; --i) value = (value << 8) | bytes[i - 1];
    return value;
}


// Where the item lies inside its block; false for a key, which is its whole block.
bool itemRange(uint32_t id, size_t& offset, size_t& length) {
    switch (DorerItemId_kind(id)) {
        case eDorerItemKindCodingBlock:
            offset = kBlockVersionSize;
            length = SIZE_MAX;  // the rest of the block
            return true;
        case eDorerItemKindCodingFunction:
            offset = kBlockVersionSize + DorerItemId_byteOffset(id);
            length = DorerItemId_fieldLength(id);
            return true;
        case eDorerItemKindAdjust:
            offset = DorerItemId_adjustOffset(id);
            length = DorerItemId_adjustLength(id);
            return true;
        default: return false;
    }
}

}  // namespace

bool PageModel::loadImage(const uint8_t* image, size_t size) {
    if (image == nullptr || size < kDorerPageTableOffset || image[0] != kDorerPageVersion) return false;
    size_t tableSize = readLe(image + 1, 2);
    size_t data = kDorerPageTableOffset + tableSize;
    if (tableSize % kDorerPageEntrySize != 0 || data > size) return false;
    std::vector<PageBlock> blocks;
    for (size_t entry = kDorerPageTableOffset; entry < kDorerPageTableOffset + tableSize; entry += kDorerPageEntrySize) {
        uint32_t key = readLe(image + entry, 4);
        size_t length = readLe(image + entry + 4, 2);
        if (length > size - data) return false;
        blocks.push_back({key, std::vector<uint8_t>(image + data, image + data + length)});
        data += length;
    }
    blocks_ = std::move(blocks);
    return true;
}

const PageBlock* PageModel::blockOf(uint32_t id) const {
    auto found = std::find_if(blocks_.begin(), blocks_.end(), [id](const PageBlock& b) { return DorerPageGetLib_entryServes(id, b.key); });
    return found != blocks_.end() ? &*found : nullptr;
}

PageBlock* PageModel::mutableBlockOf(uint32_t id) { return const_cast<PageBlock*>(blockOf(id)); }

const PageBlock* PageModel::block(uint32_t key) const {
    auto found = std::find_if(blocks_.begin(), blocks_.end(), [key](const PageBlock& b) { return b.key == key; });
    return found != blocks_.end() ? &*found : nullptr;
}

bool PageModel::setItem(uint32_t id, const uint8_t* data, size_t length, uint32_t* blockKey) {
    PageBlock* target = mutableBlockOf(id);
    if (target == nullptr || (length > 0 && data == nullptr)) return false;
    std::vector<uint8_t>& bytes = target->bytes;
    size_t offset = 0, range = 0;
    if (!itemRange(id, offset, range)) {
        bytes.assign(data, data + length);
    } else if (DorerItemId_isBitField(id)) {
        if (length != 1 || offset >= bytes.size()) return false;
        uint8_t mask = DorerItemId_bitMask(id);
        uint8_t field = static_cast<uint8_t>((data[0] << DorerItemId_maskShift(mask)) & mask);
        bytes[offset] = static_cast<uint8_t>((bytes[offset] & ~mask) | field);
    } else {
        if (offset > bytes.size() || length > bytes.size() - offset || (range != SIZE_MAX && length != range)) {
            return false;
        }
        std::copy(data, data + length, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    if (blockKey != nullptr) *blockKey = target->key;
    return true;
}

bool PageModel::getItem(uint32_t id, std::vector<uint8_t>& value) const {
    const PageBlock* source = blockOf(id);
    if (source == nullptr) return false;
    const std::vector<uint8_t>& bytes = source->bytes;
    size_t offset = 0, range = 0;
    if (!itemRange(id, offset, range)) {
        value = bytes;
        return true;
    }
    if (range == SIZE_MAX && offset <= bytes.size()) range = bytes.size() - offset;
    if (offset > bytes.size() || range > bytes.size() - offset) return false;
    auto first = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    if (DorerItemId_isBitField(id)) {
        value.assign(1, DorerItemId_fieldValue(id, *first));
    } else {
        value.assign(first, first + static_cast<std::ptrdiff_t>(range));
    }
    return true;
}

bool PageModel::replaceBlock(const PageBlock& block) {
    auto found = std::find_if(blocks_.begin(), blocks_.end(), [&](const PageBlock& b) { return b.key == block.key; });
    if (found == blocks_.end()) return false;
    found->bytes = block.bytes;
    return true;
}

std::vector<uint8_t> PageModel::image() const {
    pagewriter::PageImage page;
    for (const PageBlock& block : blocks_) page.add(block.key, block.bytes);
    return page.build(kDorerPageVersion);
}

}  // namespace hu::sysetsrv
