// CQFString: the framework's text. Holds bytes (UTF-8 by convention) with a terminating NUL.
// Positions and counts of getMid/getRight are byte positions; getCharCount counts UTF-8
// characters. Values are independent copies: copying a CQFString never shares changes.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

class CQFString {
public:
    CQFString() = default;
    CQFString(const char* text);  // NOLINT: implicit, as texts are passed everywhere; null gives empty
    CQFString(const char* bytes, size_t count);
    explicit CQFString(const std::string& text) : mText(text) {}

    // Bytes without the terminating NUL, and the number of UTF-8 characters.
    size_t getByteLength() const { return mText.size(); }
    size_t getCharCount() const;
    bool isEmpty() const { return mText.empty(); }

    // The NUL-terminated characters; valid until the text is changed.
    const char* getCString() const { return mText.c_str(); }
    const std::string& str() const { return mText; }

    CQFString& append(const CQFString& text);
    CQFString& append(const char* text);
    CQFString& append(char character);

    // Replaces the content with printf-formatted text.
    CQFString& format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    CQFString& vformat(const char* fmt, va_list args) __attribute__((format(printf, 2, 0)));

    // Replaces every occurrence of pattern (left to right, never inside a replacement);
    // returns the number of replacements. An empty pattern replaces nothing.
    size_t replaceAll(const CQFString& pattern, const CQFString& replacement);

    bool startsWith(const CQFString& prefix) const;
    // count bytes from position (clipped to the end); empty when position is past the end.
    CQFString getMid(size_t position, size_t count) const;
    // Everything from position to the end.
    CQFString getRight(size_t position) const;
    // Removes leading and trailing white space (space, tab, CR, LF, FF, VT).
    CQFString& trim();

    bool operator==(const CQFString& other) const { return mText == other.mText; }
    bool operator!=(const CQFString& other) const { return mText != other.mText; }
    bool operator<(const CQFString& other) const { return mText < other.mText; }

private:
    std::string mText;
};

namespace QFStringUtilities {
// ASCII case mapping; other bytes are kept.
CQFString toUpper(const CQFString& text);
CQFString toLower(const CQFString& text);
}  // namespace QFStringUtilities
