// Paths and file handles.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "hu_testing.h"
#include "qf/CQFFileHandle.h"
#include "qf/CQFPath.h"

namespace {

TEST(CQFPathTest, CanonifyAndValidity) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"/a//b/./c/../d", "/a/b/d"},
        {"/../x", "/x"},
        {"/", "/"},
        {"", ""},
    };
    for (const Case& c : cases) {
        CQFPath p{CQFString(c.in)};
        EXPECT_EQ(CQFString(c.out), p.canonify().getString()) << c.in;
    }
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    CQFPath relative{CQFString("sub/file")};
    EXPECT_EQ(CQFString(std::string(cwd) + "/sub/file"), relative.canonify().getString());
    EXPECT_FALSE(CQFPath().isValid());
    EXPECT_FALSE(CQFPath(CQFString("/" + std::string(300, 'n'))).isValid());
    EXPECT_TRUE(CQFPath(CQFString("/tmp/x")).isValid());
}

TEST(CQFFileHandleTest, TargetFlagsCreateTruncateWriteClose) {
    hu::testing::TempRoot root;
    const std::string path = root.path() + "/out.txt";
    hu::testing::writeFile(path, "old contents that are long");
    CQFFileHandle file;
    EXPECT_EQ(-1, file.getDescriptor());
    ASSERT_TRUE(file.open(CQFPath(CQFString(path)), 0x302));  // read-write, create, truncate
    EXPECT_EQ(5, file.write("fresh", 5, -1));
    EXPECT_TRUE(file.close());
    EXPECT_EQ(-1, file.getDescriptor());
    EXPECT_FALSE(file.close());
    EXPECT_EQ("fresh", hu::testing::readFile(path));
    EXPECT_FALSE(file.open(CQFPath(CQFString(root.path() + "/missing/dir/x")), 0x302));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(-1, file.write("x", 1));
}

}  // namespace
