// Item reads through the data accessor of a reader process: page values, bit fields, defaults,
// version and layout mismatches, pending changes, corrupt pages, and the accessor that could
// not attach.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "page_test_support.h"
#include "pagewriter/page_image.h"
#include "test_defaults.h"

namespace {

using hu::pagewriter::PageImage;
using page_test::Logger;
using page_test::Names;
using page_test::Probe;
namespace td = test_defaults;

std::string hex(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", id);
    return text;
}

std::vector<uint8_t> codingBytes(uint8_t byte128) {
    std::vector<uint8_t> coding(td::kBlockSize, 0);
    coding[1] = 0xA1, coding[2] = 0xB2, coding[3] = 0xC3;
    coding[128] = byte128;
    coding[129] = 0x20;
    coding[130] = 0x80;
    coding[131] = 0x01;
    return coding;
}

std::vector<uint8_t> adjustImage() {
    std::vector<uint8_t> image(td::kAdjustSize - 12, 0);
    image[0] = 0xDE, image[1] = 0xAD, image[2] = 0xBE, image[3] = 0xEF;
    return image;
}

std::vector<uint8_t> goodPage(uint8_t byte128 = 0xFE, uint16_t blockVersion = 0x060C) {
    return PageImage()
        .add(td::kVin, {'W', 'V', 'W'})
        .addCodingBlock(td::kBlock, blockVersion, codingBytes(byte128))
        .add(0x80001234, [] {  // an adjust entry whose key has other bits set
            std::vector<uint8_t> block(12, 0xFF);
            block[8] = 2;
            std::vector<uint8_t> image = adjustImage();
            block.insert(block.end(), image.begin(), image.end());
            return block;
        }())
        .build();
}

struct ItemRead : ::testing::Test {
    hu::testing::TempRoot root;
    Logger logger{root};
    Names names;
    hu::pagewriter::PageWriter writer{names.page, names.lock};
    Probe reader;

    void start(const std::vector<uint8_t>& page, const std::string& expectAttached = "1") {
        ASSERT_TRUE(writer.open(page)) << writer.error();
        ASSERT_EQ("accessor attached=" + expectAttached, reader.ask("accessor " + names.page + " " + names.lock));
    }
    std::string get(uint32_t id) { return reader.ask("get " + hex(id)); }
};

TEST_F(ItemRead, AnswersFromThePageThenTheDefaults) {
    start(goodPage());
    struct Case {
        uint32_t id;
        std::string answer;
    } cases[] = {
        {td::kVin, "get 0 575657"},                    // shorter than the key: as stored
        {td::kBit0, "get 0 00"},                       // mask 0x01 over 0xfe
        {td::kBits45, "get 0 02"},                     // mask 0x30 over 0x20
        {td::kTriple, "get 0 a1b2c3"},                 // multi-byte field
        {td::kAdjustWord, "get 0 deadbeef"},           // kind 2 through an entry keyed 0x80001234
        {td::kEightByteKey, "get 5 01020304"},         // not in the page: default
        {td::kDefaultsOnlyKey, "get 5 aabb"},
        {td::kUnknownKey, "get 1 ee"},                 // nowhere: out untouched
    };
    for (const Case& c : cases) EXPECT_EQ(c.answer, get(c.id)) << hex(c.id);
    logger.waitFor("invalid id: f0000008");
    EXPECT_EQ(1u, logger.texts("cfgshell : CDorerClientDataAccessor::getBuffer() invalid id: f0000008").size());

    // The writer rewrites byte 128 to 0x01; the next update shows it.
    ASSERT_TRUE(writer.write(goodPage(0x01)));
    EXPECT_EQ("get 0 00", get(td::kBit0));
    reader.ask("aupdate");
    EXPECT_EQ("get 0 01", get(td::kBit0));
}

TEST_F(ItemRead, ValueSetByThisProcessWinsOverPageAndDefaults) {
    start(goodPage());
    EXPECT_EQ("set", reader.ask("set " + hex(td::kBits45) + " 03"));
    EXPECT_EQ("get 0 03", get(td::kBits45));  // the field value as stored, not the byte
    EXPECT_EQ("set", reader.ask("set " + hex(td::kUnknownKey) + " 0102"));
    EXPECT_EQ("get 0 0102", get(td::kUnknownKey));
}

TEST_F(ItemRead, StoredBlockOfAnotherLayoutMajorReadsItsLayout) {
    start(goodPage(0xFE, 0x040C));
    // Absent in layout 4: the page reader answers 10 and the accessor the default.
    EXPECT_EQ("read 10 ", reader.ask("read " + hex(td::kAbsentIn4) + " 60c 1"));
    EXPECT_EQ("get 5 00", get(td::kAbsentIn4));
    // Moved in layout 4: read at its layout-4 place (byte 2 = 0xb2, mask 0x02).
    EXPECT_EQ("get 0 01", get(td::kMovedIn4));
    // Present in both: read in place under the stored version.
    EXPECT_EQ("get 0 a1b2c3", get(td::kTriple));
}

TEST_F(ItemRead, CorruptPagesReadAsNotFoundAndFallBackToDefaults) {
    std::vector<uint8_t> page = goodPage();
    start(page);
    std::vector<uint8_t> tableTooLong = page;  // table size far beyond the page
    tableTooLong[1] = 0xFF, tableTooLong[2] = 0xFF;
    std::vector<uint8_t> blockTooLong = page;  // the coding block's length runs past the page
    blockTooLong[3 + 6 + 4] = 0xFF, blockTooLong[3 + 6 + 5] = 0xFF;
    // A coding block of 4 bytes: the field at bytes 1-3 lies inside it, the one at 128 does not.
    std::vector<uint8_t> blockTooShort = PageImage().addCodingBlock(td::kBlock, 0x060C, {0, 1, 2, 3}).build();
    struct Case {
        std::vector<uint8_t> page;
        std::string bit0, triple;
    } cases[] = {
        {tableTooLong, "get 5 01", "get 5 000000"},
        {blockTooLong, "get 5 01", "get 5 000000"},
        {blockTooShort, "get 5 01", "get 0 010203"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writer.write(c.page));
        reader.ask("aupdate");
        EXPECT_EQ(c.bit0, get(td::kBit0));
        EXPECT_EQ(c.triple, get(td::kTriple));
    }
}

TEST_F(ItemRead, PageOfVersion2LeavesTheAccessorDetachedForLife) {
    start(PageImage().add(td::kVin, {'X'}).build(2), "0");
    EXPECT_EQ("get 5 00", get(td::kVin));
    ASSERT_TRUE(writer.write(PageImage().add(td::kVin, {'X'}).build(1)));
    reader.ask("aupdate");
    EXPECT_EQ("get 5 00", get(td::kVin));
    EXPECT_EQ(1u, logger.texts("cfgshell : CDorerClientDataAccessor::setSharedPathes() failed to attach to page: '" +
                               names.page + "', pagelock: '" + names.lock + "', res: 8")
                      .size());
}

}  // namespace
