// The page lookup and the item read over an arbitrary settings page, through the real reader:
// a page writer in this process publishes the page in shared memory, the reader refreshes its
// private copy and reads items out of it as the shell does. The input is a count, that many
// reads (id u32, expected version u16, buffer size u16) and the page (zero beyond the input).
// Invariants: only documented codes come back; an item found lies inside the page, after the
// lookup table, with the length its id or block gives, and is the one the table walk finds; a
// read never writes past the caller's buffer (exactly its size) and never reports more than fits.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "DorerCatalogue.h"
#include "DorerItemId.h"
#include "DorerPageGetLib.h"
#include "fuzz_root.h"
#include "pagewriter/page_writer.h"
#include "sysetpagegetsh.h"

namespace {

constexpr size_t kReadSize = 8;
constexpr size_t kMaxReads = 8;

hu::pagewriter::PageWriter* g_writer;
std::string g_pageName, g_lockName;

uint32_t readU32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void removeObjects() { hu::pagewriter::PageWriter::remove(g_pageName, g_lockName); }

// The length the id asks for, or for a whole block the block's length less its version.
uint32_t expectedLength(uint32_t id, uint32_t blockLength) {
    switch (DorerItemId_kind(id)) {
        case eDorerItemKindCodingBlock: return blockLength - 2;
        case eDorerItemKindCodingFunction: return DorerItemId_fieldLength(id);
        case eDorerItemKindAdjust: return DorerItemId_adjustLength(id);
        default: return blockLength;
    }
}

// The table entry length of the block key serves, found by walking the table as the lookup does.
uint32_t blockLengthOf(const DorerPageHeader* header, uint32_t key) {
    for (uint32_t i = 0; i < header->tableSize / kDorerPageEntrySize; ++i) {
        const uint8_t* entry = header->table + i * kDorerPageEntrySize;
        if (readU32(entry) == key) return readU16(entry + 4);
    }
    hu_fuzz_fail(__FILE__, __LINE__, "the item's key is in the table");
}

// The lookup on the current copy: an item found lies inside the page and after the table, and
// the copy's index answers as the table walk does (a copy of the header is walked).
void checkLookup(uint32_t id) {
    const DorerPageHeader* header = DorerPageGetLib_header();
    DorerPageItem item;
    int result = DorerPageGetLib_lookup(header, id, &item);
    FUZZ_CHECK(result == DORER_PAGE_OK || result == DORER_PAGE_NOT_FOUND);
    const DorerPageHeader walked = *header;
    DorerPageItem walk;
    FUZZ_CHECK(DorerPageGetLib_lookup(&walked, id, &walk) == result);
    if (result != DORER_PAGE_OK) return;
    FUZZ_CHECK(walk.key == item.key && walk.offset == item.offset && walk.length == item.length &&
               walk.version == item.version);
    FUZZ_CHECK(item.offset >= header->tableSize);
    FUZZ_CHECK(static_cast<uint64_t>(item.offset) + item.length <= header->available);
    FUZZ_CHECK(item.length == expectedLength(id, blockLengthOf(header, item.key)));
}

void checkRead(uint32_t id, uint16_t expectedVersion, uint16_t bufferSize) {
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[bufferSize]);
    uint32_t length = 0xFFFFFFFFu;
    int result = DorerPageGetSh_getMappedCbBuffer(id, expectedVersion, buffer.get(), bufferSize, &length);
    switch (result) {
        case DORER_PAGE_OK: FUZZ_CHECK(length <= bufferSize); break;
        case DORER_PAGE_NOT_FOUND:
        case DORER_PAGE_BAD_PAGE_VERSION:
        case DORER_PAGE_VERSION_MISMATCH:
        case DORER_PAGE_BUFFER_TOO_SMALL:
        case DORER_PAGE_NOT_IN_LAYOUT: FUZZ_CHECK(length == 0xFFFFFFFFu); return;
        default: FUZZ_CHECK(false);
    }
    // Adjust items and keys are read untranslated: the bytes are the page's.
    uint32_t kind = DorerItemId_kind(id);
    if (kind == eDorerItemKindAdjust || kind == eDorerItemKindKey) {
        DorerPageItem item;
        const DorerPageHeader* header = DorerPageGetLib_header();
        FUZZ_CHECK(DorerPageGetLib_lookup(header, id, &item) == DORER_PAGE_OK);
        FUZZ_CHECK(item.length == length && memcmp(buffer.get(), header->table + item.offset, length) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    hu::fuzz::usePrivateRoot();
    g_pageName = "/hu-fuzz-page-" + std::to_string(getpid());
    g_lockName = "/hu-fuzz-pagelock-" + std::to_string(getpid());
    g_writer = new hu::pagewriter::PageWriter(g_pageName, g_lockName);
    FUZZ_CHECK(g_writer->open());
    std::atexit(removeObjects);
    DorerCatalogue_install();
    DorerPageGetSh_attach(g_pageName.c_str(), g_lockName.c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t reads = std::min<size_t>(data[0] % (kMaxReads + 1), (size - 1) / kReadSize);
    const uint8_t* page = data + 1 + reads * kReadSize;
    size_t pageBytes = std::min<size_t>(data + size - page, kDorerPageSize);
    FUZZ_CHECK(g_writer->write(std::vector<uint8_t>(page, page + pageBytes)));

    int refreshed = DorerPageGetSh_update();
    bool versionOk = pageBytes > 0 && page[0] == kDorerPageVersion;
    FUZZ_CHECK(refreshed == (versionOk ? DORER_PAGE_OK : DORER_PAGE_HEADER_CHECK_FAILED));

    for (size_t i = 0; i < reads; ++i) {
        const uint8_t* read = data + 1 + i * kReadSize;
        uint32_t id = readU32(read);
        checkLookup(id);
        checkRead(id, readU16(read + 4), readU16(read + 6));
    }
    return 0;
}
