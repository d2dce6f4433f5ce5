// The read job's line reader: lines of any length whole (it grows in 100-byte steps), the
// newline dropped, a last line without one still read, the end of input told apart.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "CDorerShellIO.h"

namespace {

TEST(LineReaderTest, ReadsLinesOfAnyLengthWholeAndTellsTheEnd) {
    const std::string longLine(99, 'a'), longerLine(100, 'b'), longestLine(250, 'c');
    std::string input = longLine + "\n" + longerLine + "\n\n" + longestLine + "\nlast";
    FILE* in = fmemopen(input.data(), input.size(), "r");
    ASSERT_NE(nullptr, in);
    CQFString line;
    for (const std::string& expected : {longLine, longerLine, std::string(), longestLine, std::string("last")}) {
        ASSERT_TRUE(readDorerShellLine(in, line));
        EXPECT_EQ(expected, line.str());
    }
    EXPECT_FALSE(readDorerShellLine(in, line));
    EXPECT_TRUE(line.isEmpty());
    std::fclose(in);
}

}  // namespace
