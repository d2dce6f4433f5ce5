#include "DorerNamePattern.h"

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

bool matchFrom(const char* pattern, const char* name) {
    while (*pattern != '\0') {
        if (*pattern == '*') {
            while (*pattern == '*') ++pattern;
            if (*pattern == '\0') return true;
            // The rest needs at least one name character, so the end of the name never matches.
            for (; *name != '\0'; ++name) {
                if (matchFrom(pattern, name)) return true;
            }
            return false;
        }
        if (*name == '\0') return false;
        if (*pattern == '[') {
            if (!matchSet(pattern, *name)) return false;
        } else if (*pattern == '?' || *pattern == *name) {
            ++pattern;
        } else {
            return false;
        }
        ++name;
    }
    return *name == '\0';
}

}  // namespace

bool DorerNamePattern_match(const char* pattern, const char* name) {
    if (pattern == nullptr || name == nullptr || *pattern == '\0') return false;
    return matchFrom(pattern, name);
}
