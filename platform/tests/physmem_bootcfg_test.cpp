// Physical memory backed by "$HU_ROOT/dev/mem", and the boot configuration string.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "hu/bootcfg.h"
#include "hu/path.h"
#include "hu/physmem.h"
#include "hu_testing.h"

namespace {

TEST(PhysmemTest, MappingReadsWhatTheFileHoldsAndWritesThrough) {
    hu::testing::TempRoot root;
    const uint64_t address = 0x4A002204;
    hu::makeDirs(root.host("/dev"));
    int fd = open(root.host("/dev/mem").c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_GE(fd, 0);
    uint32_t id = 0x2B942000;
    ASSERT_EQ(4, pwrite(fd, &id, 4, address));

    void* p = mmap_device_memory(nullptr, 4, PROT_READ | PROT_NOCACHE, 0, address);
    ASSERT_NE(MAP_FAILED, p);
    EXPECT_EQ(id, *static_cast<volatile uint32_t*>(p));
    EXPECT_EQ(0, munmap_device_memory(p, 4));

    uintptr_t block = mmap_device_io(4096, 0x48053000);
    ASSERT_NE(reinterpret_cast<uintptr_t>(MAP_FAILED), block);
    EXPECT_EQ(0u, in32(block + 0x134));  // never written: zero
    out32(block + 0x134, 0x600);
    uint32_t seen = 0;
    ASSERT_EQ(4, pread(fd, &seen, 4, 0x48053000 + 0x134));
    EXPECT_EQ(0x600u, seen);
    munmap_device_io(block, 4096);
    close(fd);
}

TEST(BootcfgTest, EnvironmentThenFileThenNothing) {
    hu::testing::TempRoot root;
    unsetenv("HU_BOOTCFG");
    char buf[64];
    EXPECT_EQ(0u, hu_confstr(_UCS_BOOTCFG, buf, sizeof buf));

    hu::makeDirs(root.host("/etc"));
    hu::testing::writeFile(root.host("/etc/bootcfg"), "IOC_BM_INFO=8ff00000\n");
    EXPECT_EQ(21u, hu_confstr(_UCS_BOOTCFG, buf, sizeof buf));
    EXPECT_STREQ("IOC_BM_INFO=8ff00000", buf);

    setenv("HU_BOOTCFG", "A=1 IOC_BM_INFO=1000", 1);
    EXPECT_EQ(21u, hu_confstr(_UCS_BOOTCFG, buf, sizeof buf));
    EXPECT_STREQ("A=1 IOC_BM_INFO=1000", buf);
    char small[4];
    EXPECT_EQ(21u, hu_confstr(_UCS_BOOTCFG, small, sizeof small));  // tells the size needed
    EXPECT_STREQ("A=1", small);
    unsetenv("HU_BOOTCFG");
}

}  // namespace
