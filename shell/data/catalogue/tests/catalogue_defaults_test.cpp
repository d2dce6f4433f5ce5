// The defaults image and the id functions, and their agreement with the dictionary tree.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "DorerCatalogue.h"
#include "DorerDataDictionary.h"
#include "DorerItemId.h"
#include "DorerPageGetLib.h"

namespace {

class CatalogueDefaults : public ::testing::Test {
protected:
    void SetUp() override {
        DorerCatalogue_install();
        collect(DorerDataDictionary::getRoot());
    }
    void collect(const DorerDataNodeRef& node) {
        if (node->getId() != kDorerNoId) mItems.push_back(node);
        for (const DorerDataNodeRef& child : node->getChildren()) collect(child);
    }
    static std::vector<uint8_t> defaultOf(uint32_t id) {
        const uint8_t* data = nullptr;
        uint16_t length = 0;
        EXPECT_EQ(dorerDefaults_getBuffer(id, &data, &length), DORER_PAGE_OK) << std::hex << id;
        return data ? std::vector<uint8_t>(data, data + length) : std::vector<uint8_t>{};
    }
    std::vector<uint32_t> codingIds() const {
        std::vector<uint32_t> ids;
        for (const DorerDataNodeRef& node : mItems) {
            if (node->getKind() == DorerDataNode::Cb || node->getKind() == DorerDataNode::CbFunction) {
                ids.push_back(node->getId());
            }
        }
        return ids;
    }

    DorerDataNodeList mItems;  // every node with an id, in pre-order
};

uint16_t le16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

TEST_F(CatalogueDefaults, ImageLayout) {
    const uint8_t* page = dorerDefaults_page;
    ASSERT_EQ(page[0], 1);
    const uint16_t tableSize = le16(page + 1);
    EXPECT_EQ(tableSize, 582);
    EXPECT_EQ(dorerDefaults_pageSize, 3u + 582u + 3980u);

    const DorerDataNodeList& roots = DorerDataDictionary::getRoot()->getChildren();
    const uint8_t* table = page + 3;
    uint32_t offset = tableSize;
    for (size_t i = 0; i < 97; ++i) {
        const uint8_t* entry = table + 6 * i;
        const uint32_t key = entry[0] | entry[1] << 8 | entry[2] << 16 | static_cast<uint32_t>(entry[3]) << 24;
        const uint16_t length = le16(entry + 4);
        if (i < 96) {
            EXPECT_EQ(key, roots[i]->getId()) << i;
        } else {
            EXPECT_EQ(key, 0x80000000u);
        }
        if (roots[i]->getKind() == DorerDataNode::Cb) {
            EXPECT_EQ(length, roots[i]->getFullSize());
            EXPECT_EQ(le16(table + offset), 0x060C) << roots[i]->getName().str();
        }
        offset += length;
    }
    EXPECT_EQ(offset, 582u + 3980u);

    const std::vector<uint8_t> adjust = defaultOf(0x800007F4u);
    ASSERT_EQ(adjust.size(), 2036u);
    EXPECT_EQ(std::vector<uint8_t>(adjust.begin(), adjust.begin() + 12),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(std::count(adjust.begin() + 12, adjust.end(), 0xFF), 1919);
}

TEST_F(CatalogueDefaults, DefaultsTheCommandsShow) {
    EXPECT_EQ(DorerItemId_fieldValue(0x43802808u, defaultOf(0x43802808u).at(0)), 0);  // HMI.COMPASS
    EXPECT_EQ(defaultOf(0x82020002u), (std::vector<uint8_t>{0x37, 0x00}));  // CPU.low
    for (uint32_t key : {0xF0001001u /* CPS */, 0xF0001002u /* VIN */, 0xF0004004u /* TelefonNumberHotline */,
                         0xF0001000u /* FINGERPRINT */, 0xF0005001u /* OECE */}) {
        EXPECT_EQ(defaultOf(key), std::vector<uint8_t>{0x00}) << std::hex << key;
    }
    const std::vector<uint8_t> routing = defaultOf(0x6081C018u);
    EXPECT_EQ(routing.size(), 24u);
}

TEST_F(CatalogueDefaults, IdFunctionsAnswerAsListed) {
    for (uint32_t id : {7u, 0x43802808u, 0x822E0004u, 0xF0001002u, 0x800007F4u}) {
        EXPECT_TRUE(dorerDefaults_isValidId(id)) << std::hex << id;
    }
    for (uint32_t id : {0u, 64u, 0x80000000u, 0x43802810u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(dorerDefaults_isValidId(id)) << std::hex << id;
    }
    EXPECT_EQ(dorerDefaults_getSize(7), 150u);
    EXPECT_EQ(dorerDefaults_getSize(0x43802808u), 1u);
    EXPECT_EQ(dorerDefaults_getSize(0x6081C018u), 24u);
    EXPECT_EQ(dorerDefaults_getSize(0x800007F4u), 2036u);
    EXPECT_EQ(dorerDefaults_getSize(0xF0001002u), 17u);
    EXPECT_EQ(dorerDefaults_getVersion(0x43802808u), 0x060C);
    EXPECT_EQ(dorerDefaults_getVersion(7), 0x060C);
    EXPECT_EQ(dorerDefaults_getVersion(0x822E0004u), 0x0002);
    EXPECT_EQ(dorerDefaults_getVersion(0xF0001002u), 0x0000);
    EXPECT_EQ(dorerDefaults_getVersion(64), 0xFFFF);
    EXPECT_EQ(kDorerCatalogueVersions[1], kDorerCodingVersion);
    EXPECT_EQ(kDorerCatalogueVersions[2], kDorerAdjustVersion);

    std::set<uint32_t> mirrorKeys;
    for (uint32_t id = 0xE0000000u; id <= 0xE0000005u; ++id) {
        if (dorerDefaults_isMirrorKey(id)) mirrorKeys.insert(id);
    }
    for (uint32_t id = 0xEFFFFEFFu; id <= 0xEFFFFF03u; ++id) {
        if (dorerDefaults_isMirrorKey(id)) mirrorKeys.insert(id);
    }
    EXPECT_EQ(mirrorKeys, (std::set<uint32_t>{0xE0000001u, 0xE0000002u, 0xE0000003u, 0xE0000004u, 0xEFFFFF00u,
                                              0xEFFFFF01u, 0xEFFFFF02u}));
    EXPECT_FALSE(dorerDefaults_isMirrorKey(0xF0003042u));  // HDD_SAFE_MODE
}

TEST_F(CatalogueDefaults, CheckValue) {
    const uint8_t one = 0x01, three = 0x03;
    const uint8_t bytes[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_TRUE(dorerDefaults_checkValue(0x5F000008u, &one, 1));
    EXPECT_FALSE(dorerDefaults_checkValue(0x5F000008u, &three, 1));
    EXPECT_TRUE(dorerDefaults_checkValue(0xF0002000u, bytes, 3));  // BST00, 8 bytes
    EXPECT_FALSE(dorerDefaults_checkValue(0xF0002000u, bytes, 9));
    EXPECT_FALSE(dorerDefaults_checkValue(0xF0002000u, bytes, 0));
    EXPECT_TRUE(dorerDefaults_checkValue(63, bytes, 4));
    EXPECT_FALSE(dorerDefaults_checkValue(63, bytes, 3));
    // A well-formed id that names no item takes nothing.
    EXPECT_FALSE(dorerDefaults_checkValue(0x43802810u, &one, 1));
    EXPECT_FALSE(dorerDefaults_checkValue(0xF00000FFu, &one, 1));
}

TEST_F(CatalogueDefaults, LayoutTranslation) {
    const std::vector<uint32_t> coding = codingIds();
    ASSERT_EQ(coding.size(), 1244u);
    auto count = [&](uint8_t stored, std::map<uint32_t, uint32_t>& moved) {
        size_t absent = 0;
        for (uint32_t id : coding) {
            const uint32_t mapped = dorerDefaults_mapId(6, stored, id);
            if (mapped == 0xFFFFFFFFu) {
                ++absent;
            } else if (mapped != id) {
                moved[id] = mapped;
            }
        }
        return absent;
    };
    std::map<uint32_t, uint32_t> moved4, moved3;
    EXPECT_EQ(count(4, moved4), 289u);
    EXPECT_EQ(moved4, (std::map<uint32_t, uint32_t>{{0x43808008u, 0x4382E010u}}));
    EXPECT_EQ(count(3, moved3), 308u);
    EXPECT_EQ(moved3, (std::map<uint32_t, uint32_t>{{0x43808008u, 0x4382E010u}, {0x42820200u, 0x42820808u}}));

    for (uint32_t id : coding) {
        EXPECT_EQ(dorerDefaults_mapId(6, 6, id), id);
        EXPECT_EQ(dorerDefaults_mapId(6, 5, id), 0xFFFFFFFFu);
        EXPECT_EQ(dorerDefaults_mapId(5, 5, id), 0xFFFFFFFFu);
        // Reverse and mixed pairs agree with the direct ones.
        for (uint8_t older : {3, 4}) {
            const uint32_t there = dorerDefaults_mapId(6, older, id);
            if (there != 0xFFFFFFFFu) {
            EXPECT_EQ(dorerDefaults_mapId(older, 6, there), id) << std::hex << id;
        }
        }
        const uint32_t in4 = dorerDefaults_mapId(6, 4, id), in3 = dorerDefaults_mapId(6, 3, id);
        if (in4 != 0xFFFFFFFFu) {
            EXPECT_EQ(dorerDefaults_mapId(4, 3, in4), in3) << std::hex << id;
        }
        if (in3 != 0xFFFFFFFFu) {
            EXPECT_EQ(dorerDefaults_mapId(3, 4, in3), in4) << std::hex << id;
        }
    }
    EXPECT_EQ(dorerDefaults_mapId(4, 6, 0x43808008u), 0xFFFFFFFFu);  // vacated in layout 4
}

// Every item: the dictionary, the id functions and the defaults image tell the same story.
TEST_F(CatalogueDefaults, DictionaryFunctionsAndImageAgree) {
    ASSERT_EQ(mItems.size(), 1493u);
    std::set<uint32_t> ids;
    std::map<uint32_t, uint8_t> usedBits;  // block number << 16 | byte -> mask bits of its bit fields
    for (const DorerDataNodeRef& node : mItems) {
        const uint32_t id = node->getId();
        const std::string& name = node->getName().str();
        ids.insert(id);
        EXPECT_TRUE(dorerDefaults_isValidId(id)) << name;
        EXPECT_EQ(dorerDefaults_getSize(id), node->getSize()) << name;
        const std::vector<uint8_t> value = defaultOf(id);
        if (node->getKind() == DorerDataNode::Key) {
            EXPECT_GE(value.size(), 1u) << name;
            EXPECT_LE(value.size(), node->getSize()) << name;
            EXPECT_TRUE(dorerDefaults_checkValue(id, value.data(), static_cast<uint32_t>(value.size()))) << name;
        } else {
            EXPECT_EQ(value.size(), node->getSize()) << name;
        }
        if (DorerItemId_isBitField(id)) {
            usedBits[DorerItemId_blockNumber(id) << 16 | DorerItemId_byteOffset(id)] |= DorerItemId_bitMask(id);
            const uint8_t field = DorerItemId_fieldValue(id, value[0]);
            EXPECT_TRUE(dorerDefaults_checkValue(id, &field, 1)) << name;
            if (!node->getChildren().empty()) {
                bool named = false;
                for (const DorerDataNodeRef& param : node->getChildren()) named = named || param->getValue()[0] == field;
                EXPECT_TRUE(named) << name << " defaults to an unnamed value";
            }
        }
        // A mirror key starts with the value of the item it mirrors.
        DorerDataNodeRef source;
        if (node->getSourceId() != kDorerNoId && DorerDataDictionary::findById(DorerDataDictionary::getRoot(), node->getSourceId(), source)) {
            std::vector<uint8_t> sourceValue = defaultOf(source->getId());
            if (DorerItemId_isBitField(source->getId())) sourceValue = {DorerItemId_fieldValue(source->getId(), sourceValue[0])};
            EXPECT_EQ(value, sourceValue) << name;
        }
    }
    EXPECT_EQ(ids.size(), 1488u);
    // Bits no bit field owns stay zero in the defaults.
    for (const auto& entry : usedBits) {
        const uint32_t block = entry.first >> 16, byte = entry.first & 0xFFFF;
        const std::vector<uint8_t> data = defaultOf(block);
        EXPECT_EQ(data[byte] & ~entry.second, 0) << "block " << block << " byte " << byte;
    }
}

}  // namespace
