// The settings page as the server keeps it: the blocks of the page in table order (key and
// bytes). Changes land in the block that holds the item; the page bytes are built from the
// blocks whenever the page is rewritten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hu::sysetsrv {

struct PageBlock {
    uint32_t key;
    std::vector<uint8_t> bytes;  // a coding block begins with its version, the adjust block with its header
    bool operator==(const PageBlock& other) const { return key == other.key && bytes == other.bytes; }
};

class PageModel {
public:
    // The blocks of a page image; false when the image is not a version-1 page whose table and
    // blocks lie inside it.
    bool loadImage(const uint8_t* image, size_t size);

    // The block that holds item id (by the id's kind), or null.
    const PageBlock* blockOf(uint32_t id) const;
    const PageBlock* block(uint32_t key) const;
    const std::vector<PageBlock>& blocks() const { return blocks_; }

    // Writes the value of item id into its block: a bit field takes the field value into its
    // mask, a key's value replaces the key's block. False (nothing changed) when no block holds
    // the item or its range leaves the block. blockKey receives the key of the block written.
    bool setItem(uint32_t id, const uint8_t* data, size_t length, uint32_t* blockKey = nullptr);
    // The item's value as a store carries it (a bit field's field value); false when absent.
    bool getItem(uint32_t id, std::vector<uint8_t>& value) const;
    // Replaces an existing block's bytes; false when the page has no block with that key.
    bool replaceBlock(const PageBlock& block);

    // The page bytes: version 1, table, blocks.
    std::vector<uint8_t> image() const;

private:
    PageBlock* mutableBlockOf(uint32_t id);
    std::vector<PageBlock> blocks_;
};

}  // namespace hu::sysetsrv
