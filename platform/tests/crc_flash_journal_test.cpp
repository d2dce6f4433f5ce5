// CRC-32/BZIP2, the flash file's array information and the call journal.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "hu/crc32.h"
#include "hu/flash.h"
#include "hu/journal.h"
#include "hu/path.h"
#include "hu_testing.h"

namespace {

TEST(Crc32Bzip2Test, MatchesTheCheckValueAndChecksToTheResidueWithItsCrc) {
    EXPECT_EQ(0xFC891918u, hu::crc32Bzip2("123456789", 9));
    EXPECT_EQ(0u, hu::crc32Bzip2("", 0));
    uint8_t data[13] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0xFC, 0x89, 0x19, 0x18};
    EXPECT_EQ(hu::kCrc32Bzip2Residue, hu::crc32Bzip2(data, sizeof data));
    data[3] ^= 1;
    EXPECT_NE(hu::kCrc32Bzip2Residue, hu::crc32Bzip2(data, sizeof data));
}

TEST(FlashTest, AFileAnswersTheArrayInformationWithItsSize) {
    hu::testing::TempRoot root;
    hu::makeDirs(root.host("/dev"));
    hu::testing::writeFile(root.host("/dev/fs0"), std::string(0x12345, 'x'));
    int fd = hu_open("/dev/fs0", O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(0xc0100903u, static_cast<unsigned>(DCMD_FLASH_ARRAYINFO));
    flash_arrayinfo_t info{};
    EXPECT_EQ(EOK, devctl(fd, DCMD_FLASH_ARRAYINFO, &info, sizeof info, nullptr));
    EXPECT_EQ(0x12345u, info.size);
    EXPECT_EQ(EINVAL, devctl(fd, DCMD_FLASH_ARRAYINFO, &info, 8, nullptr));
    EXPECT_EQ(ENOTTY, devctl(fd, DCMD_ALL_GETFLAGS, &info, sizeof(int), nullptr));
    hu_close(fd);

    fd = hu_open("/dev", O_RDONLY);  // a directory is no flash
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ENOTTY, devctl(fd, DCMD_FLASH_ARRAYINFO, &info, sizeof info, nullptr));
    hu_close(fd);
}

TEST(JournalTest, LinesComeBackInOrder) {
    hu::testing::TempRoot root;
    EXPECT_TRUE(hu::journal::read("/var/log/calls.journal").empty());
    hu::journal::append("/var/log/calls.journal", "first 1 2");
    hu::journal::append("/var/log/calls.journal", "second");
    EXPECT_EQ((std::vector<std::string>{"first 1 2", "second"}), hu::journal::read("/var/log/calls.journal"));
    EXPECT_EQ("first 1 2\nsecond\n", hu::testing::readFile(root.host("/var/log/calls.journal")));
}

}  // namespace
