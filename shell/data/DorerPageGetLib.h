// Lookup of settings items in a page image: the page header check, the per-kind lookup in the
// lookup table, version checks, and copying an item out of the current page copy.
//
// Page layout (little-endian): byte 0 page version (1), bytes 1-2 lookup table size, then the
// table of 6-byte entries (key u32, length u16), then the data blocks in table order.
#pragma once

#include <cstdint>

#include "DorerItemId.h"
#include "sysetpagelayout.h"

constexpr uint8_t kDorerPageVersion = 1;
constexpr uint32_t kDorerPageTableOffset = 3;
constexpr uint32_t kDorerPageEntrySize = 6;

// Result codes of the page functions; 0 is success.
enum : int {
    DORER_PAGE_OK = 0,
    DORER_PAGE_NOT_FOUND = 1,
    DORER_PAGE_BAD_PAGE_VERSION = 3,
    DORER_PAGE_VERSION_MISMATCH = 4,
    DORER_PAGE_NOT_ATTACHED = 5,
    DORER_PAGE_ACCESS_OBJECT_FAILED = 6,
    DORER_PAGE_SHARED_LOCK_FAILED = 7,
    DORER_PAGE_HEADER_CHECK_FAILED = 8,
    DORER_PAGE_BUFFER_TOO_SMALL = 9,
    DORER_PAGE_NOT_IN_LAYOUT = 10,
    DORER_PAGE_INVALID_ARGUMENT = 11,
};

struct DorerPageHeader {
    uint8_t version;
    uint16_t tableSize;
    const uint8_t* table;  // page byte 3
    uint32_t available;    // bytes from the table start to the end of the page buffer
};

// offset counts from the table start.
struct DorerPageItem {
    uint32_t key;
    uint16_t length;
    uint32_t offset;
    uint16_t version;
};

// Header check of a new page copy: records it as the current page (also on a version
// mismatch) and logs its version and table size. 3 when the version is not 1.
int DorerPageGetLib_init(const uint8_t* page, uint32_t pageSize);
const DorerPageHeader* DorerPageGetLib_header();

// Never reaches outside the page: an entry, block or id range that leaves it is not found (1).
int DorerPageGetLib_lookup(const DorerPageHeader* header, uint32_t id, DorerPageItem* item);
// Whether the table entry keyed `key` holds the item `id`: a coding function lives in its
// block's entry, every adjust item in the one adjust entry, anything else under its own id.
bool DorerPageGetLib_entryServes(uint32_t id, uint32_t key);

// Stored version of id in the current page.
int DorerPageGetLib_getVersion(uint32_t id, uint16_t* version);
int DorerPageGetLib_checkVersion(const DorerPageHeader* header, uint32_t id, uint16_t expectedVersion);

// The item's bytes inside page (the page copy or the built-in defaults image).
int DorerPageGetLib_getItem(const uint8_t* page, uint32_t pageSize, uint32_t id, uint16_t expectedVersion,
                            const uint8_t** data, uint16_t* length);

// Copies the item out of the current page; 9 when it does not fit the buffer.
int DorerPageGetLib_copyItem(uint32_t id, uint16_t expectedVersion, uint8_t* buffer, uint32_t bufferSize,
                             uint32_t* length);

// The item read of the shell: coding ids are first translated into the layout of the stored
// coding block (10 when the item does not exist there), then copied out of the current page.
int DorerPageGetLib_readItem(uint32_t id, uint16_t expectedVersion, uint8_t* buffer, uint32_t bufferSize,
                             uint32_t* length);
