#include "DorerPageGetLib.h"

#include <algorithm>
#include <cstring>

#include "dorerDefaults.h"
#include "hu/slog.h"

namespace {

constexpr int kLogOpcode = 0x100002;
constexpr uint32_t kCodingVersionBytes = 2;
constexpr uint32_t kAdjustVersionByte = 8;

DorerPageHeader g_header = {};
const uint8_t* g_page = nullptr;

// An index over the current page's lookup table, built once per page copy: each entry's data
// offset and length, and for every key the first entry that carries it (a hash table with
// linear probing), so that a lookup finds the entry the table walk would find without walking.
constexpr uint32_t kMaxEntries = 0xFFFF / kDorerPageEntrySize;  // what a 16-bit table size holds
constexpr uint32_t kMaxSlots = 32768;                            // a power of two, at least twice that
constexpr uint16_t kNoEntry = 0xFFFF;
struct PageIndex {
    uint32_t entries;
    uint32_t keys[kMaxEntries];
    uint32_t offsets[kMaxEntries];  // from the table start, as the walk counts them
    uint16_t lengths[kMaxEntries];
    uint16_t firstAdjust;
    uint32_t slotBits;
    uint16_t slots[kMaxSlots];
};
PageIndex g_index = {};

uint32_t slotOf(uint32_t key) { return (key * 0x9E3779B1u) >> (32 - g_index.slotBits); }
uint32_t nextSlot(uint32_t slot) { return (slot + 1) & ((1u << g_index.slotBits) - 1); }

uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

DorerPageHeader headerOf(const uint8_t* page, uint32_t pageSize) {
    DorerPageHeader header = {};
    if (pageSize > 0) header.version = page[0];
    if (pageSize < kDorerPageTableOffset) return header;  // no table at all: every lookup misses
    header.tableSize = readU16(page + 1);
    header.table = page + kDorerPageTableOffset;
    header.available = pageSize - kDorerPageTableOffset;
    return header;
}

// Each key's slot holds the first entry that carries it, as the walk would meet them.
void buildIndex(const DorerPageHeader& header) {
    g_index.entries = header.table != nullptr && header.tableSize <= header.available
                          ? header.tableSize / kDorerPageEntrySize
                          : 0;
    g_index.firstAdjust = kNoEntry;
    g_index.slotBits = 4;
    while ((1u << g_index.slotBits) < 2 * g_index.entries) ++g_index.slotBits;
    std::fill_n(g_index.slots, 1u << g_index.slotBits, kNoEntry);
    uint32_t offset = header.tableSize;
    for (uint32_t i = 0; i < g_index.entries; ++i) {
        const uint8_t* entry = header.table + i * kDorerPageEntrySize;
        uint32_t key = readU32(entry);
        g_index.keys[i] = key;
        g_index.offsets[i] = offset;
        g_index.lengths[i] = readU16(entry + 4);
        offset += g_index.lengths[i];
        if (DorerItemId_kind(key) == eDorerItemKindAdjust && g_index.firstAdjust == kNoEntry) {
            g_index.firstAdjust = static_cast<uint16_t>(i);
        }
        uint32_t slot = slotOf(key);
        while (g_index.slots[slot] != kNoEntry && g_index.keys[g_index.slots[slot]] != key) slot = nextSlot(slot);
        if (g_index.slots[slot] == kNoEntry) g_index.slots[slot] = static_cast<uint16_t>(i);
    }
}

// The first entry whose key is key, or kNoEntry.
uint16_t indexedEntry(uint32_t key) {
    for (uint32_t slot = slotOf(key); g_index.slots[slot] != kNoEntry; slot = nextSlot(slot)) {
        if (g_index.keys[g_index.slots[slot]] == key) return g_index.slots[slot];
    }
    return kNoEntry;
}

// The entry that serves id in the current page, found through the index.
uint16_t indexedEntryServing(uint32_t id) {
    switch (DorerItemId_kind(id)) {
        case eDorerItemKindCodingFunction: return indexedEntry(DorerItemId_blockNumber(id));
        case eDorerItemKindAdjust: return g_index.firstAdjust;
        default: return indexedEntry(id);
    }
}


// The item of id inside the block [offset, offset + length) of the table; the range it names
// must lie inside the block.
int itemInBlock(const DorerPageHeader* header, uint32_t id, uint32_t key, uint32_t offset, uint32_t length,
                DorerPageItem* item) {
    const uint8_t* block = header->table + offset;
    uint32_t start = 0;
    uint32_t size = length;
    uint16_t version = 0;
    switch (DorerItemId_kind(id)) {
        case eDorerItemKindCodingBlock:
        case eDorerItemKindCodingFunction:
            if (length < kCodingVersionBytes) return DORER_PAGE_NOT_FOUND;
            version = readU16(block);
            start = kCodingVersionBytes;
            size = length - kCodingVersionBytes;
            if (DorerItemId_kind(id) == eDorerItemKindCodingFunction) {
                start += DorerItemId_byteOffset(id);
                size = DorerItemId_fieldLength(id);
            }
            break;
        case eDorerItemKindAdjust:
            if (length <= kAdjustVersionByte) return DORER_PAGE_NOT_FOUND;
            version = block[kAdjustVersionByte];
            start = DorerItemId_adjustOffset(id);
            size = DorerItemId_adjustLength(id);
            break;
        default: break;
    }
    if (start > length || size > length - start) return DORER_PAGE_NOT_FOUND;
    *item = {key, static_cast<uint16_t>(size), offset + start, version};
    return DORER_PAGE_OK;
}

}  // namespace

bool DorerPageGetLib_entryServes(uint32_t id, uint32_t key) {
    switch (DorerItemId_kind(id)) {
        case eDorerItemKindCodingBlock: return key == id;
        case eDorerItemKindCodingFunction:
            return DorerItemId_kind(key) == eDorerItemKindCodingBlock && key == DorerItemId_blockNumber(id);
        case eDorerItemKindAdjust: return DorerItemId_kind(key) == eDorerItemKindAdjust;
        default: return key == id;
    }
}

int DorerPageGetLib_init(const uint8_t* page, uint32_t pageSize) {
    if (page == nullptr) return DORER_PAGE_INVALID_ARGUMENT;
    g_header = headerOf(page, pageSize);
    g_page = page;
    buildIndex(g_header);
    slogf(kLogOpcode, _SLOG_INFO, "DorerPage version = %hu, lookup table size = %hu",
          static_cast<unsigned short>(g_header.version), g_header.tableSize);
    if (g_header.version != kDorerPageVersion) {
        slogf(kLogOpcode, _SLOG_INFO, "DorerPageGetLib init failed. DorerPage version mismatch.");
        return DORER_PAGE_BAD_PAGE_VERSION;
    }
    return DORER_PAGE_OK;
}

const DorerPageHeader* DorerPageGetLib_header() { return &g_header; }

int DorerPageGetLib_lookup(const DorerPageHeader* header, uint32_t id, DorerPageItem* item) {
    if (header == nullptr || item == nullptr) return DORER_PAGE_INVALID_ARGUMENT;
    if (header->table == nullptr || header->tableSize > header->available) return DORER_PAGE_NOT_FOUND;
    if (header == &g_header) {
        uint16_t i = indexedEntryServing(id);
        if (i == kNoEntry) return DORER_PAGE_NOT_FOUND;
        uint32_t offset = g_index.offsets[i];
        uint32_t length = g_index.lengths[i];
        if (offset > header->available || length > header->available - offset) return DORER_PAGE_NOT_FOUND;
        return itemInBlock(header, id, g_index.keys[i], offset, length, item);
    }
    uint32_t entries = header->tableSize / kDorerPageEntrySize;
    uint32_t offset = header->tableSize;
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* entry = header->table + i * kDorerPageEntrySize;
        uint32_t key = readU32(entry);
        uint32_t length = readU16(entry + 4);
        if (DorerPageGetLib_entryServes(id, key)) {
            if (offset > header->available || length > header->available - offset) return DORER_PAGE_NOT_FOUND;
            return itemInBlock(header, id, key, offset, length, item);
        }
        offset += length;
    }
    return DORER_PAGE_NOT_FOUND;
}

int DorerPageGetLib_getVersion(uint32_t id, uint16_t* version) {
    if (version == nullptr) return DORER_PAGE_INVALID_ARGUMENT;
    if (g_header.version != kDorerPageVersion) return DORER_PAGE_BAD_PAGE_VERSION;
    DorerPageItem item;
    int result = DorerPageGetLib_lookup(&g_header, id, &item);
    if (result == DORER_PAGE_OK) *version = item.version;
    return result;
}

int DorerPageGetLib_checkVersion(const DorerPageHeader* header, uint32_t id, uint16_t expectedVersion) {
    if (DorerItemId_kind(id) == eDorerItemKindKey) return DORER_PAGE_OK;
    DorerPageItem item;
    int result = DorerPageGetLib_lookup(header, id, &item);
    if (result != DORER_PAGE_OK) return result;
    return DorerItemId_major(item.version) == DorerItemId_major(expectedVersion) ? DORER_PAGE_OK
                                                                                  : DORER_PAGE_VERSION_MISMATCH;
}

namespace {

// The version check and the lookup of getItem in one lookup: both find the same entry.
int itemOf(const DorerPageHeader* header, uint32_t id, uint16_t expectedVersion, const uint8_t** data,
           uint16_t* length) {
    if (header->version != kDorerPageVersion) return DORER_PAGE_BAD_PAGE_VERSION;
    DorerPageItem item;
    int result = DorerPageGetLib_lookup(header, id, &item);
    if (result != DORER_PAGE_OK) return result;
    if (DorerItemId_kind(id) != eDorerItemKindKey &&
        DorerItemId_major(item.version) != DorerItemId_major(expectedVersion)) {
        return DORER_PAGE_VERSION_MISMATCH;
    }
    *data = header->table + item.offset;
    *length = item.length;
    return DORER_PAGE_OK;
}

}  // namespace

int DorerPageGetLib_getItem(const uint8_t* page, uint32_t pageSize, uint32_t id, uint16_t expectedVersion,
                            const uint8_t** data, uint16_t* length) {
    if (page == nullptr || data == nullptr || length == nullptr) return DORER_PAGE_INVALID_ARGUMENT;
    DorerPageHeader header = headerOf(page, pageSize);
    return itemOf(&header, id, expectedVersion, data, length);
}

int DorerPageGetLib_copyItem(uint32_t id, uint16_t expectedVersion, uint8_t* buffer, uint32_t bufferSize,
                             uint32_t* length) {
    if (length == nullptr) return DORER_PAGE_INVALID_ARGUMENT;
    if (g_page == nullptr) return DORER_PAGE_INVALID_ARGUMENT;
    const uint8_t* data = nullptr;
    uint16_t itemLength = 0;
    int result = itemOf(&g_header, id, expectedVersion, &data, &itemLength);
    if (result != DORER_PAGE_OK) return result;
    if (itemLength > bufferSize) return DORER_PAGE_BUFFER_TOO_SMALL;
    if (itemLength > 0) std::memcpy(buffer, data, itemLength);
    *length = itemLength;
    return DORER_PAGE_OK;
}

int DorerPageGetLib_readItem(uint32_t id, uint16_t expectedVersion, uint8_t* buffer, uint32_t bufferSize,
                             uint32_t* length) {
    uint32_t kind = DorerItemId_kind(id);
    if (kind != eDorerItemKindCodingBlock && kind != eDorerItemKindCodingFunction) {
        return DorerPageGetLib_copyItem(id, expectedVersion, buffer, bufferSize, length);
    }
    uint32_t block = kind == eDorerItemKindCodingBlock ? id : DorerItemId_blockNumber(id);
    uint16_t storedVersion = 0;
    if (DorerPageGetLib_getVersion(block, &storedVersion) != DORER_PAGE_OK) storedVersion = expectedVersion;
    uint32_t storedId = dorerDefaults_mapId(DorerItemId_major(expectedVersion), DorerItemId_major(storedVersion), id);
    if (storedId == kDorerInvalidItemId) return DORER_PAGE_NOT_IN_LAYOUT;
    int result = DorerPageGetLib_copyItem(storedId, storedVersion, buffer, bufferSize, length);
    // A bit field that moved to other bits: hand its byte back with the field where the caller's
    // id has it, or the caller would read the bits of its neighbours.
    if (result == DORER_PAGE_OK && storedId != id && DorerItemId_isBitField(id) && DorerItemId_isBitField(storedId) &&
        *length == 1) {
        uint8_t value = DorerItemId_fieldValue(storedId, buffer[0]);
        buffer[0] = static_cast<uint8_t>((value << DorerItemId_maskShift(DorerItemId_bitMask(id))) &
                                         DorerItemId_bitMask(id));
    }
    return result;
}
