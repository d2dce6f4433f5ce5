#include "test_defaults.h"

#include <vector>

#include "DorerItemId.h"
#include "DorerPageGetLib.h"
#include "dorerDefaults.h"
#include "pagewriter/page_image.h"

namespace test_defaults {

namespace {

struct Item {
    uint32_t id;
    uint32_t size;
};

const Item kItems[] = {
    {kBlock, kBlockSize}, {kBit0, 1},  {kBits45, 1},  {kTriple, 3},        {kAbsentIn4, 1},   {kMovedIn4, 1},
    {kAdjustBlock, kAdjustSize},       {kAdjustWord, 4}, {kVin, 17},       {kEightByteKey, 8}, {kDefaultsOnlyKey, 2},
    {kMirrorKey, 1},
};

const Item* find(uint32_t id) {
    for (const Item& item : kItems) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

const std::vector<uint8_t>& image() {
    static const std::vector<uint8_t> page = [] {
        std::vector<uint8_t> coding(kBlockSize, 0);
        coding[0] = 0x11;
        coding[128] = 0x01;  // kBit0 defaults to 1
        coding[129] = 0x10;  // kBits45 defaults to 1
        return hu::pagewriter::PageImage()
            .add(kVin, {0x00})
            .add(kEightByteKey, {1, 2, 3, 4})
            .add(kDefaultsOnlyKey, {0xAA, 0xBB})
            .add(kMirrorKey, {0x00})
            .addCodingBlock(kBlock, kDorerCodingVersion, coding)
            .addAdjust(static_cast<uint8_t>(kDorerAdjustVersion), std::vector<uint8_t>(kAdjustSize - 12, 0xFF))
            .build();
    }();
    return page;
}

uint16_t getVersion(uint32_t id) {
    if (find(id) == nullptr) return 0xFFFF;
    switch (DorerItemId_kind(id)) {
        case eDorerItemKindAdjust: return kDorerAdjustVersion;
        case eDorerItemKindKey: return kDorerKeyVersion;
        default: return kDorerCodingVersion;
    }
}

bool isMirrorKey(uint32_t id) { return id == kMirrorKey; }
bool isValidId(uint32_t id) { return find(id) != nullptr; }
uint32_t getSize(uint32_t id) { return find(id) ? find(id)->size : 0; }

int getBuffer(uint32_t id, const uint8_t** data, uint16_t* length) {
    if (!isValidId(id)) return DORER_PAGE_NOT_FOUND;
    return DorerPageGetLib_getItem(image().data(), static_cast<uint32_t>(image().size()), id, getVersion(id), data,
                                   length);
}

bool checkValue(uint32_t id, const uint8_t* data, uint32_t length) {
    return dorerDefaults_valueFits(id, data, length, getSize(id));
}

// Majors 4 and 6 are known to this catalogue.
uint32_t mapId(uint8_t expectedMajor, uint8_t storedMajor, uint32_t id) {
    auto known = [](uint8_t major) { return major == 4 || major == 6; };
    if (!known(expectedMajor) || !known(storedMajor)) return kDorerInvalidItemId;
    if (expectedMajor == storedMajor) return id;
    if (expectedMajor == 6) {
        if (id == kAbsentIn4) return kDorerInvalidItemId;
        if (id == kMovedIn4) return kMovedTo;
    }
    return id;
}

const DorerDefaultsFunctions kFunctions = {getVersion, isMirrorKey, isValidId, getSize, getBuffer, checkValue, mapId};

}  // namespace

void install() { dorerDefaults_install(&kFunctions); }

}  // namespace test_defaults

