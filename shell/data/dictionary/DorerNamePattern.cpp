#include "DorerNamePattern.h"

#include <cstring>

namespace {

// Tests c against the set that opens at *pattern ('['), and moves pattern past its closing
// ']'. A set that is never closed ends with the pattern; nothing past its end is read.
bool matchSet(const char*& pattern, char c) {
    const char* p = pattern + 1;
    const bool negated = *p == '!';
    if (negated) ++p;
    const char* const first = p;
    bool member = false;
    while (*p != '\0' && (*p != ']' || p == first)) {
        const char low = *p;
        const bool isRange = p[1] == '-' && p[2] != '\0' && p[2] != ']' && p[2] > low;
        if (isRange) {
            member = member || (c >= low && c <= p[2]);
            p += 3;
        } else {
            member = member || c == low;
            ++p;
        }
    }
    pattern = *p == ']' ? p + 1 : p;
    return member != negated;
}

}  // namespace

DorerNamePattern::DorerNamePattern(const char* pattern) : mEmpty(pattern == nullptr || *pattern == '\0') {
    mRuns.push_back({0, 0});
    for (const char* p = mEmpty ? "" : pattern; *p != '\0';) {
        if (*p == '*') {
            mRuns.push_back({mTests.size(), 0});
            ++p;
            continue;
        }
        Test test{Test::Literal, *p, 0};
        if (*p == '?') {
            test.kind = Test::Any;
            ++p;
        } else if (*p == '[') {
            std::bitset<256> members;
            for (int c = 0; c < 256; ++c) {
                const char* set = p;
                members[static_cast<size_t>(c)] = matchSet(set, static_cast<char>(c));
            }
            matchSet(p, '\0');  // steps over the set
            test.kind = Test::Set;
            test.set = static_cast<unsigned short>(mSets.size());
            mSets.push_back(members);
        } else {
            ++p;
        }
        mTests.push_back(test);
        ++mRuns.back().length;
        ++mShortest;
    }
}

bool DorerNamePattern::runMatches(const Run& run, const char* at) const {
    for (size_t i = 0; i < run.length; ++i) {
        const Test& test = mTests[run.first + i];
        const char c = at[i];
        switch (test.kind) {
            case Test::Literal:
                if (c != test.literal) return false;
                break;
            case Test::Any: break;
            case Test::Set:
                if (!mSets[test.set][static_cast<unsigned char>(c)]) return false;
                break;
        }
    }
    return true;
}

bool DorerNamePattern::matches(const char* name, size_t length) const {
    if (mEmpty || name == nullptr || length < mShortest) return false;
    const Run& first = mRuns.front();
    if (mRuns.size() == 1) return length == first.length && runMatches(first, name);
    const Run& last = mRuns.back();
    if (!runMatches(last, name + length - last.length) || !runMatches(first, name)) return false;
    // The runs between two '*' each at its leftmost place after the one before.
    size_t from = first.length;
    const size_t end = length - last.length;
    for (size_t r = 1; r + 1 < mRuns.size(); ++r) {
        const Run& run = mRuns[r];
        while (from + run.length <= end && !runMatches(run, name + from)) ++from;
        if (from + run.length > end) return false;
        from += run.length;
    }
    return true;
}

bool DorerNamePattern_match(const char* pattern, const char* name) {
    if (pattern == nullptr || name == nullptr || *pattern == '\0') return false;
    return DorerNamePattern(pattern).matches(name, std::strlen(name));
}
