#include "text_chars.h"

namespace {

bool in(unsigned char byte, unsigned char low, unsigned char high) { return byte >= low && byte <= high; }

// Length of the UTF-8 sequence at bytes, or 0 when it is not a valid one. The NUL that ends
// the text is no continuation byte, so a sequence cut by it is invalid and nothing is read
// past it.
int sequence_length(const unsigned char* bytes) {
    unsigned char lead = bytes[0];
    if (lead < 0x80) return 1;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    int length;
    if (in(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (in(lead, 0xE0, 0xEF)) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // shorter forms exist
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (in(lead, 0xF0, 0xF4)) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (!in(bytes[1], low, high)) return 0;
    for (int i = 2; i < length; ++i) {
        if (!in(bytes[i], 0x80, 0xBF)) return 0;
    }
    return length;
}

}  // namespace

TextChar next_char(const char* text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    int length = sequence_length(bytes);
    if (length <= 1) return {bytes[0], 1};
    static const unsigned char kLeadMask[] = {0, 0, 0x1F, 0x0F, 0x07};
    uint32_t code = bytes[0] & kLeadMask[length];
    for (int i = 1; i < length; ++i) code = (code << 6) | (bytes[i] & 0x3Fu);
    return {code, length};
}

bool is_control(uint32_t code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }
