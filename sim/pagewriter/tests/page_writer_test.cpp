// The page image layout, and the writer's objects as a second writer (or a reader) sees them.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pagewriter/page_image.h"
#include "pagewriter/page_writer.h"

namespace {

using hu::pagewriter::PageImage;
using hu::pagewriter::PageWriter;

std::vector<uint8_t> mapped(const std::string& name, size_t size) {
    int fd = shm_open(name.c_str(), O_RDONLY, 0);
    if (fd < 0) return {};
    void* address = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (address == MAP_FAILED) return {};
    std::vector<uint8_t> bytes(static_cast<uint8_t*>(address), static_cast<uint8_t*>(address) + size);
    munmap(address, size);
    return bytes;
}

struct Names {
    std::string page = "/hu_pagewriter_test_" + std::to_string(getpid());
    std::string lock = page + "-lock";
    ~Names() { PageWriter::remove(page, lock); }
};

TEST(PageImageTest, TableThenBlocksInOrderLittleEndian) {
    std::vector<uint8_t> page = PageImage()
                                    .add(0xF0001002, {0x41, 0x42})
                                    .addCodingBlock(7, 0x060C, {0x99})
                                    .addAdjust(2, {0x55})
                                    .build();
    std::vector<uint8_t> expected = {
        1,    18,   0,                                   // version, table size 3 * 6
        0x02, 0x10, 0x00, 0xF0, 2,    0,                 // key, length 2
        7,    0,    0,    0,    3,    0,                 // block 7, version + 1 byte
        0,    0,    0,    0x80, 13,   0,                 // adjust: 12-byte header + 1
        0x41, 0x42, 0x0C, 0x06, 0x99,                    // key value, block version 0x060C, data
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0xFF, 0xFF, 0xFF, 0x55};
    EXPECT_EQ(expected, page);
    EXPECT_EQ(2, PageImage().build(2)[0]);
}

TEST(PageWriterTest, WritesUnderTheLockAndAnnouncesThroughTheCounter) {
    Names names;
    uint32_t before = static_cast<uint32_t>(time(nullptr));
    PageWriter writer(names.page, names.lock);
    ASSERT_TRUE(writer.open({1, 0, 0})) << writer.error();
    EXPECT_EQ(0u, writer.changeCounter());
    EXPECT_GE(writer.timeStamp(), before);

    struct stat info {};
    int fd = shm_open(names.lock.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    fstat(fd, &info);
    close(fd);
    EXPECT_EQ(static_cast<off_t>(sizeof(pthread_rwlock_t) + 8), info.st_size);

    ASSERT_TRUE(writer.write({1, 6, 0}, false));
    EXPECT_EQ(0u, writer.changeCounter());
    ASSERT_TRUE(writer.write({1, 12, 0}));
    EXPECT_EQ(1u, writer.changeCounter());
    std::vector<uint8_t> page = mapped(names.page, hu::pagewriter::kPageSize);
    ASSERT_EQ(hu::pagewriter::kPageSize, page.size());
    EXPECT_EQ(12, page[1]);

    // A second writer (a restarted server) maps the same objects and keeps counting.
    PageWriter second(names.page, names.lock);
    ASSERT_TRUE(second.open()) << second.error();
    EXPECT_EQ(1u, second.changeCounter());
    ASSERT_TRUE(second.write({1}));
    EXPECT_EQ(2u, writer.changeCounter());
    EXPECT_FALSE(second.write(std::vector<uint8_t>(hu::pagewriter::kPageSize + 1)));
}

}  // namespace
