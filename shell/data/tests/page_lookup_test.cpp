// The page lookup on exact-size buffers (so any read past one is caught by the sanitizer
// build), the version checks, and the storing rule of the defaults.
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "DorerPageGetLib.h"
#include "dorerDefaults.h"
#include "pagewriter/page_image.h"
#include "test_defaults.h"

namespace {

using hu::pagewriter::PageImage;
namespace td = test_defaults;

// The page in a heap block of exactly its size.
struct ExactPage {
    explicit ExactPage(const std::vector<uint8_t>& bytes)
        : size(static_cast<uint32_t>(bytes.size())), data(new uint8_t[bytes.size()]) {
        std::copy(bytes.begin(), bytes.end(), data.get());
    }
    uint32_t size;
    std::unique_ptr<uint8_t[]> data;
};

int getItem(const ExactPage& page, uint32_t id, uint16_t version, std::vector<uint8_t>* bytes = nullptr) {
    const uint8_t* data = nullptr;
    uint16_t length = 0;
    int code = DorerPageGetLib_getItem(page.data.get(), page.size, id, version, &data, &length);
    if (code == 0 && bytes != nullptr) bytes->assign(data, data + length);
    return code;
}

TEST(PageLookupTest, ItemsOfEveryKindAndTheirVersions) {
    ExactPage page(PageImage()
                       .add(0xF0000001, {1, 2})
                       .addCodingBlock(7, 0x060C, std::vector<uint8_t>(130, 0x5A))
                       .addAdjust(2, {9, 8, 7, 6})
                       .build());
    std::vector<uint8_t> bytes;
    EXPECT_EQ(0, getItem(page, 0xF0000001, 0x1234, &bytes));  // keys carry no version
    EXPECT_EQ((std::vector<uint8_t>{1, 2}), bytes);
    EXPECT_EQ(0, getItem(page, 7, 0x0601, &bytes));  // only majors are compared
    EXPECT_EQ(130u, bytes.size());
    EXPECT_EQ(4, getItem(page, 7, 0x040C));
    EXPECT_EQ(0, getItem(page, td::kBit0, 0x060C, &bytes));
    EXPECT_EQ(1u, bytes.size());
    EXPECT_EQ(0, getItem(page, td::adjust(12, 4), 0x0002, &bytes));
    EXPECT_EQ((std::vector<uint8_t>{9, 8, 7, 6}), bytes);
    EXPECT_EQ(0, getItem(page, td::adjust(8, 1), 0x0002, &bytes));  // the header's version byte
    EXPECT_EQ(2, bytes[0]);
    EXPECT_EQ(1, getItem(page, 8, 0x060C));           // no block 8
    EXPECT_EQ(1, getItem(page, 0xF0000002, 0));       // no such key
    EXPECT_EQ(11, DorerPageGetLib_getItem(nullptr, 0, 7, 0x060C, nullptr, nullptr));

    std::vector<uint8_t> other = PageImage().add(0xF0000001, {1}).build(2);
    ExactPage wrongVersion(other);
    EXPECT_EQ(3, getItem(wrongVersion, 0xF0000001, 0));
}

TEST(PageLookupTest, RangesThatLeaveThePageOrTheirBlockAreNotFound) {
    std::vector<uint8_t> good = PageImage()
                                    .add(0xF0000001, {1, 2, 3})
                                    .addCodingBlock(7, 0x060C, {1, 2, 3, 4})
                                    .addAdjust(2, {1, 2, 3, 4})
                                    .add(9, {0x0C})  // a coding block too short for its version
                                    .add(0x80000000, {1, 2})
                                    .build();
    ASSERT_EQ(0, getItem(ExactPage(good), 0xF0000001, 0));

    struct Case {
        const char* what;
        std::vector<uint8_t> page;
        uint32_t id;
    } cases[] = {
        {"header cut short", {1, 6}, 0xF0000001},
        {"table past the page", std::vector<uint8_t>(good.begin(), good.begin() + 20), 0xF0000001},
        {"key block past the page", std::vector<uint8_t>(good.begin(), good.begin() + 3 + 30 + 2), 0xF0000001},
        {"bit field past its block", good, td::codingBitField(7, 4, 0x01)},
        {"multi-byte field past its block", good, td::codingMultiByte(7, 2, 3)},
        {"offset beyond its block", good, td::codingMultiByte(7, 0xFFF, 0x7FF)},
        {"adjust range past its block", good, td::adjust(14, 3)},
        {"block without its version", good, 9},
    };
    for (const Case& c : cases) {
        ExactPage page(c.page);
        EXPECT_EQ(1, getItem(page, c.id, 0x060C)) << c.what;
    }
    // Inside the same blocks everything is found.
    EXPECT_EQ(0, getItem(ExactPage(good), td::codingMultiByte(7, 1, 3), 0x060C));
    EXPECT_EQ(0, getItem(ExactPage(good), td::adjust(12, 4), 0x0002));
}

// The current page is looked up through an index built when it is recorded; every answer must
// be the table walk's (first matching entry wins, ranges leaving the page are not found).
TEST(PageLookupTest, CurrentPageAnswersAsTheTableWalk) {
    std::vector<uint8_t> doubled = PageImage()
                                       .add(0xF0000001, {1, 2, 3})
                                       .addCodingBlock(7, 0x060C, {1, 2, 3, 4})
                                       .add(0xF0000001, {9})
                                       .addCodingBlock(7, 0x040C, {5})
                                       .add(0x80000001, std::vector<uint8_t>(16, 0x11))
                                       .addAdjust(2, {1, 2, 3, 4})
                                       .add(9, {0x0C})
                                       .build();
    const std::vector<uint8_t> pages[] = {
        doubled,
        std::vector<uint8_t>(doubled.begin(), doubled.begin() + 3 + 7 * 6 + 5),  // blocks past the page
        std::vector<uint8_t>(doubled.begin(), doubled.begin() + 20),             // table past the page
        {1, 6},
    };
    const uint32_t ids[] = {0xF0000001, 0xF0000002, 7, 8, 9, td::codingMultiByte(7, 1, 3), td::codingBitField(7, 3, 0x10),
                            td::adjust(12, 4), td::adjust(0, 16), td::adjust(20, 4)};
    for (const std::vector<uint8_t>& bytes : pages) {
        ExactPage page(bytes);
        DorerPageGetLib_init(page.data.get(), page.size);
        const DorerPageHeader walked = *DorerPageGetLib_header();  // a copy is looked up by walking
        for (uint32_t id : ids) {
            DorerPageItem indexed{}, walk{};
            int code = DorerPageGetLib_lookup(DorerPageGetLib_header(), id, &indexed);
            ASSERT_EQ(DorerPageGetLib_lookup(&walked, id, &walk), code) << bytes.size() << " " << std::hex << id;
            if (code != 0) continue;
            EXPECT_EQ(walk.key, indexed.key) << std::hex << id;
            EXPECT_EQ(walk.offset, indexed.offset) << std::hex << id;
            EXPECT_EQ(walk.length, indexed.length) << std::hex << id;
            EXPECT_EQ(walk.version, indexed.version) << std::hex << id;
        }
    }
}

TEST(PageLookupTest, CurrentPageRecordsItsHeaderEvenOnMismatch) {
    std::vector<uint8_t> bytes = PageImage().addCodingBlock(7, 0x040C, {0xAB}).build(2);
    ExactPage page(bytes);
    EXPECT_EQ(3, DorerPageGetLib_init(page.data.get(), page.size));
    EXPECT_EQ(2, DorerPageGetLib_header()->version);
    EXPECT_EQ(6, DorerPageGetLib_header()->tableSize);
    uint16_t version = 0;
    EXPECT_EQ(3, DorerPageGetLib_getVersion(7, &version));

    page.data[0] = 1;
    ASSERT_EQ(0, DorerPageGetLib_init(page.data.get(), page.size));
    EXPECT_EQ(0, DorerPageGetLib_getVersion(7, &version));
    EXPECT_EQ(0x040C, version);
    uint8_t small[1];
    uint32_t length = 0;
    EXPECT_EQ(0, DorerPageGetLib_copyItem(7, 0x040C, small, 1, &length));
    EXPECT_EQ(0xAB, small[0]);
    EXPECT_EQ(9, DorerPageGetLib_copyItem(7, 0x040C, small, 0, &length));
    EXPECT_EQ(11, DorerPageGetLib_init(nullptr, 0));
}

TEST(PageLookupTest, StoringRuleOfTheDefaults) {
    td::install();
    const uint8_t value[9] = {1, 0, 0, 0, 0, 0, 0, 0, 0};
    const uint8_t three = 0x03, two = 0x02;
    struct Case {
        uint32_t id;
        const uint8_t* data;
        uint32_t length;
        bool fits;
    } cases[] = {
        {td::kBit0, &three, 1, false},  // one-bit field
        {td::kBit0, value, 1, true},
        {td::kBits45, &three, 1, true},  // two-bit field
        {td::kBits45, &two, 1, true},
        {td::kBit0, value, 2, false},
        {td::kEightByteKey, value, 3, true},  // keys: at most their size
        {td::kEightByteKey, value, 9, false},
        {td::kEightByteKey, value, 0, false},
        {td::kTriple, value, 3, true},  // multi-byte, block and adjust: exactly their size
        {td::kTriple, value, 2, false},
        {td::kBlock, value, 9, false},
        {td::kAdjustWord, value, 4, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.fits, dorerDefaults_checkValue(c.id, c.data, c.length)) << std::hex << c.id << " " << c.length;
    }
    EXPECT_EQ(0x060C, dorerDefaults_getVersion(td::kBit0));
    EXPECT_EQ(0xFFFF, dorerDefaults_getVersion(td::kUnknownKey));
    EXPECT_TRUE(dorerDefaults_isMirrorKey(td::kMirrorKey));
}

}  // namespace
