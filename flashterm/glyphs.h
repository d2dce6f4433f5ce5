// The font as one luminance texture of 16 x 16 cells (U+0000..U+00FF), built once at
// start-up, and the text primitives drawn from it.
#pragma once

#include <cstdint>
#include <vector>

struct GlyphInfo {
    int cell_x;
    int cell_y;
    int width;
    int height;
    int bearing_x;
    int bearing_y;
    int advance;
};

struct GlyphTable {
    GlyphInfo glyphs[256];
    int line_height;
    int descender;
    int atlas_width;
    int atlas_height;
};

extern GlyphTable g_glyphs;

// FreeType with its three modules and the face of font_path. Failures are printed.
void load_font(const char* font_path);
// Rasterises the 256 glyphs at font_size points (120 dpi) into g_glyphs and the atlas
// bytes; nothing when no face was loaded.
void rasterise_glyphs(int font_size, std::vector<uint8_t>* atlas);
// rasterise_glyphs, then the atlas upload into texture 0.
void build_glyphs(int font_size);
// Ends the font library; no FreeType object is left.
void release_font();

// Texts are read as characters (text_chars.h): control characters draw nothing, a tab moves
// on to the next tab stop, characters beyond U+00FF show as '?'.
int text_width(const char* text);
// How many leading bytes of text fit strictly inside width, stopping before a newline; never
// part of a character.
int fit_count(const char* text, int width);
// The same for a text kept on one row, where a newline is one more control character.
int fit_in_row(const char* text, int width);
// The highest ink of any glyph above the baseline, in pixels.
int ink_top();
// y is the bottom of the text line.
void draw_text(float x, float y, const char* text, float red, float green, float blue);
