// The characters of a text received from clients: UTF-8, with a single-byte fallback so that
// senders of Latin-1 text keep working.
#pragma once

#include <cstdint>

struct TextChar {
    uint32_t code;  // Unicode code point
    int length;     // bytes it takes in the text, at least 1
};

// The character at the start of a non-empty text: a valid UTF-8 sequence (shortest form, no
// surrogates, at most U+10FFFF) is decoded; any other byte is one Latin-1 character.
TextChar next_char(const char* text);

// Characters drawn as nothing: C0 and C1 controls and DEL. The tab is one of them to the
// glyph table; the text layout expands it.
bool is_control(uint32_t code);
