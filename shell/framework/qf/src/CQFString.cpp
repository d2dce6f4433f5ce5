#include "qf/CQFString.h"

#include <cctype>
#include <cstdio>
#include <cstring>

CQFString::CQFString(const char* text) : mText(text ? text : "") {}

CQFString::CQFString(const char* bytes, size_t count) : mText(bytes ? std::string(bytes, count) : std::string()) {}

size_t CQFString::getCharCount() const {
    size_t count = 0;
    for (unsigned char c : mText) {
        if ((c & 0xC0) != 0x80) ++count;  // continuation bytes belong to the character before
    }
    return count;
}

CQFString& CQFString::append(const CQFString& text) {
    mText += text.mText;
    return *this;
}

CQFString& CQFString::append(const char* text) {
    if (text) mText += text;
    return *this;
}

CQFString& CQFString::append(char character) {
    mText += character;
    return *this;
}

CQFString& CQFString::format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vformat(fmt, args);
    va_end(args);
    return *this;
}

CQFString& CQFString::vformat(const char* fmt, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int needed = vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (needed < 0) {
        mText.clear();
        return *this;
    }
    std::string text(static_cast<size_t>(needed) + 1, '\0');
    vsnprintf(&text[0], text.size(), fmt, args);
    text.resize(static_cast<size_t>(needed));
    mText.swap(text);
    return *this;
}

size_t CQFString::replaceAll(const CQFString& pattern, const CQFString& replacement) {
    if (pattern.mText.empty()) return 0;
    size_t count = 0;
    std::string result;
    size_t from = 0;
    for (size_t at = mText.find(pattern.mText); at != std::string::npos; at = mText.find(pattern.mText, from)) {
        result.append(mText, from, at - from);
        result += replacement.mText;
        from = at + pattern.mText.size();
        ++count;
    }
    if (count == 0) return 0;
    result.append(mText, from, std::string::npos);
    mText.swap(result);
    return count;
}

bool CQFString::startsWith(const CQFString& prefix) const {
    return mText.compare(0, prefix.mText.size(), prefix.mText) == 0;
}

CQFString CQFString::getMid(size_t position, size_t count) const {
    if (position >= mText.size()) return CQFString();
    return CQFString(mText.substr(position, count));
}

CQFString CQFString::getRight(size_t position) const { return getMid(position, std::string::npos); }

CQFString& CQFString::trim() {
    const char* space = " \t\r\n\f\v";
    const size_t first = mText.find_first_not_of(space);
    if (first == std::string::npos) {
        mText.clear();
    } else {
        mText = mText.substr(first, mText.find_last_not_of(space) - first + 1);
    }
    return *this;
}

namespace QFStringUtilities {

CQFString toUpper(const CQFString& text) {
    std::string s = text.str();
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return CQFString(s);
}

CQFString toLower(const CQFString& text) {
    std::string s = text.str();
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return CQFString(s);
}

}  // namespace QFStringUtilities
