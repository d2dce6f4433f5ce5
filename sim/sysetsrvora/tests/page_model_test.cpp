// The server's page model over the catalogue's defaults image: where each kind of item lands
// in its block, and images it refuses to take apart.
#include <gtest/gtest.h>

#include <vector>

#include "DorerCatalogue.h"
#include "page_model.h"

namespace {

using hu::sysetsrv::PageBlock;
using hu::sysetsrv::PageModel;
using Bytes = std::vector<uint8_t>;

PageModel defaults() {
    PageModel model;
    EXPECT_TRUE(model.loadImage(dorerDefaults_page, dorerDefaults_pageSize));
    return model;
}

TEST(PageModelTest, RebuildsTheDefaultsImageByteForByte) {
    Bytes original(dorerDefaults_page, dorerDefaults_page + dorerDefaults_pageSize);
    EXPECT_EQ(original, defaults().image());
}

TEST(PageModelTest, ItemsLandInTheirBlocksAndReadBackAsStored) {
    struct Case {
        uint32_t id;
        Bytes value;
        uint32_t blockKey;
        size_t offset;   // of the first byte written, in the block
        Bytes written;   // the block bytes there afterwards
    };
    const Case cases[] = {
        {0x5F000030, {0x02}, 62, 2, {}},                           // bit field, mask 0x06
        {0x7F800803, {0x11, 0x22, 0x33}, 63, 3, {0x11, 0x22, 0x33}},  // 3 bytes at byte 1
        {0x822E0004, {1, 2, 3, 4}, 0x80000000, 558, {1, 2, 3, 4}},     // adjust, header counted
        {63, {9, 8, 7, 6}, 63, 2, {9, 8, 7, 6}},                       // whole coding block
        {0xF0001002, {'W', 'V'}, 0xF0001002, 0, {'W', 'V'}},           // a key: the whole block
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        PageModel model = defaults();
        Bytes before = model.block(c.blockKey)->bytes;
        uint32_t key = 0;
        ASSERT_TRUE(model.setItem(c.id, c.value.data(), c.value.size(), &key));
        EXPECT_EQ(c.blockKey, key);
        Bytes read;
        ASSERT_TRUE(model.getItem(c.id, read));
        EXPECT_EQ(c.value, read);
        const Bytes& after = model.block(c.blockKey)->bytes;
        if (!c.written.empty()) {
            EXPECT_EQ(c.written, Bytes(after.begin() + c.offset, after.begin() + c.offset + c.written.size()));
        }
        if (c.id == 0x5F000030) {
            // Only the field's bits change.
            EXPECT_EQ((before[2] & ~0x06) | 0x04, after[2]);
            EXPECT_EQ(Bytes(before.begin(), before.begin() + 2), Bytes(after.begin(), after.begin() + 2));
        }
    }
}

TEST(PageModelTest, RefusesItemsOutsideTheirBlock) {
    PageModel model = defaults();
    Bytes image = model.image();
    Bytes four(4, 0xAB);
    EXPECT_FALSE(model.setItem(0x87F40004, four.data(), four.size()));  // adjust offset 2036: past the block
    EXPECT_FALSE(model.setItem(0x7F800804, four.data(), four.size()));  // block 63: 4 bytes from byte 1 leave it
    EXPECT_FALSE(model.setItem(40, four.data(), four.size()));          // no block 40
    EXPECT_EQ(image, model.image());
}

TEST(PageModelTest, RefusesMalformedImages) {
    const Bytes images[] = {
        {},
        {2, 0, 0},                          // page version 2
        {1, 12, 0, 1, 0, 0, 0, 0, 0},       // table longer than the image
        {1, 5, 0, 1, 0, 0, 0, 1},           // table size not a whole entry
        {1, 6, 0, 1, 0, 0, 0, 9, 0, 0xAA},  // block longer than the image
    };
    for (const Bytes& image : images) {
        PageModel model;
        EXPECT_FALSE(model.loadImage(image.data(), image.size())) << image.size();
    }
}

}  // namespace
