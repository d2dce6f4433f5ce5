// The command table, findCommand, parseIntArg and parseCommandLine.
#include <errno.h>

#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "DorerShellParser.h"

namespace {

// What every row must keep, also a new one: its own id, a keyword that finds it (an earlier
// keyword that begins it would take all its lines), a help text, and what it queues.
TEST(CommandTableTest, EachRowHasItsOwnIdAndIsFoundByItsKeyword) {
    std::set<int32_t> ids;
    for (auto* c = NDorerShellCommandTable::begin(); c != NDorerShellCommandTable::end(); ++c) {
        SCOPED_TRACE(c->mKeyword);
        EXPECT_TRUE(ids.insert(c->mId).second);
        EXPECT_EQ(c, findCommand(c->mKeyword));
        EXPECT_NE('\0', c->mCaption[0]);
        EXPECT_NE(nullptr, c->mQueue);
    }
}

// The lines that end after their keyword: whatever follows is ignored.
TEST(CommandTableTest, CommandsWithoutArgumentsIgnoreTheRestOfTheLine) {
    for (const char* keyword :
         {"getstate", "store", "?", "exit", "connect", "#", "getlast", "reload", "versioninfo", "storageinfo"}) {
        SCOPED_TRACE(keyword);
        SDorerShellParseResult r;
        ASSERT_TRUE(parseCommandLine(CQFString(std::string(keyword) + " 0x10=7"), r));
        ASSERT_NE(nullptr, r.mCommand);
        EXPECT_STREQ(keyword, r.mCommand->mKeyword);
        EXPECT_EQ(CQFString(), r.mStrArg);
        EXPECT_EQ(0u, r.mIntArg);
        EXPECT_EQ(CQFString(), r.mData);
    }
}

TEST(FindCommandTest, PrefixIgnoringCaseFirstInTableOrder) {
    struct Case {
        const char* token;
        const char* keyword;  // null: none
    } cases[] = {
        {"GETK", "getk"}, {"getkey", "getk"}, {"getkeylist", "getk"}, {"keylist", "keylist"},
        {"help", nullptr}, {"hel", nullptr}, {"?", "?"}, {"#note", "#"}, {"get", nullptr},
        {"shell", "sh"}, {"lastresult", "lastres"}, {"EXITNOW", "exit"}, {"", nullptr},
    };
    for (const Case& c : cases) {
        const SDorerShellCommandInfo* info = findCommand(c.token);
        if (!c.keyword) {
            EXPECT_EQ(nullptr, info) << c.token;
        } else {
            ASSERT_NE(nullptr, info) << c.token;
            EXPECT_STREQ(c.keyword, info->mKeyword) << c.token;
        }
    }
}

TEST(ParseIntArgTest, BasesAndMinus) {
    EXPECT_EQ(5u, parseIntArg("5"));
    EXPECT_EQ(16u, parseIntArg("0x10"));
    EXPECT_EQ(16u, parseIntArg("0X10"));
    EXPECT_EQ(8u, parseIntArg("010"));
    EXPECT_EQ(0u, parseIntArg("A"));
    EXPECT_EQ(0u, parseIntArg(""));
    EXPECT_EQ(7u, parseIntArg("  7"));
    errno = 0;
    EXPECT_EQ(0xFFFFFFFFu, parseIntArg("-1"));
    EXPECT_EQ(ERANGE, errno);
}

TEST(ParseCommandLineTest, SplitsKeywordArgumentAndData) {
    struct Case {
        const char* line;
        bool accepted;
        const char* keyword;  // null: none
        const char* strArg;
        uint32_t intArg;
        const char* data;
    } cases[] = {
        {"GETK 5", true, "getk", "5", 5, ""},
        {"getkey 5", true, "getk", "5", 5, ""},
        {"setk A=7", true, "setk", "A", 0, "7"},
        {"setk 0x10 = 7", true, "setk", "0x10", 16, "= 7"},
        {"getk 010", true, "getk", "010", 8, ""},
        {"getk -1", true, "getk", "-1", 0xFFFFFFFF, ""},
        {"sh ls -l", true, "sh", "ls", 0, "-l"},
        {"sh ls -l  -a", true, "sh", "ls", 0, "-l  -a"},
        {"   getstate and further words", true, "getstate", "", 0, ""},
        {"getk    spaced", true, "getk", "spaced", 0, ""},
        {"getk\t5", true, "getk", "", 0, ""},  // a tab is part of the keyword token
        {"unknown arg=1", true, nullptr, "arg", 0, "1"},
        {"out", true, "out", "", 0, ""},
        {"lastres pre:", true, "lastres", "pre:", 0, ""},
        {"", false, nullptr, "", 0, ""},
        {"   ", false, nullptr, "", 0, ""},
    };
    for (const Case& c : cases) {
        SDorerShellParseResult r;
        EXPECT_EQ(c.accepted, parseCommandLine(c.line, r)) << c.line;
        if (!c.keyword) {
            EXPECT_EQ(nullptr, r.mCommand) << c.line;
        } else {
            ASSERT_NE(nullptr, r.mCommand) << c.line;
            EXPECT_STREQ(c.keyword, r.mCommand->mKeyword) << c.line;
        }
        EXPECT_EQ(CQFString(c.strArg), r.mStrArg) << c.line;
        EXPECT_EQ(c.intArg, r.mIntArg) << c.line;
        EXPECT_EQ(CQFString(c.data), r.mData) << c.line;
    }
}

}  // namespace
