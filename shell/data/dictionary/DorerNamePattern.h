// Whole-name, case-sensitive matching of item names against patterns: '*' any run (also
// empty), '?' one character, '[set]' one character of a set ('!' first negates, a-z ranges,
// ']' first is a member), any other character itself. An empty pattern matches nothing.
#pragma once

#include <bitset>
#include <cstddef>
#include <vector>

bool DorerNamePattern_match(const char* pattern, const char* name);

// A pattern compiled once for many names: the runs of one-character tests between its '*',
// each set as a table of its members. A name too short for the runs is rejected at once, the
// run after the last '*' is tested at the name's end first, and the runs between are placed
// leftmost, so no name is tried at more than one position per run.
class DorerNamePattern {
public:
    explicit DorerNamePattern(const char* pattern);
    // name holds length characters (no NUL among them).
    bool matches(const char* name, size_t length) const;

private:
    struct Test {
        enum Kind : unsigned char { Literal, Any, Set } kind;
        char literal;
        unsigned short set;  // index into mSets
    };
    struct Run {
        size_t first;  // index into mTests
        size_t length;
    };
    bool runMatches(const Run& run, const char* at) const;

    bool mEmpty;               // an empty pattern matches nothing
    std::vector<Test> mTests;
    std::vector<Run> mRuns;    // one more than the pattern has '*' (a run may be empty)
    std::vector<std::bitset<256>> mSets;
    size_t mShortest = 0;      // the tests of all runs together
};
