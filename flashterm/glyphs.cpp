#include "glyphs.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "hu/ft_modules.h"
#include "render_context.h"
#include "text_chars.h"

GlyphTable g_glyphs;

namespace {

constexpr FT_UInt kDpi = 120;
constexpr FT_Error kUnknownFileFormat = 2;

FT_Library g_library = nullptr;
FT_Face g_face = nullptr;

constexpr int kTabStopSpaces = 8;

// The glyph drawn for a character, or null for a control character. The atlas holds
// U+0000..U+00FF; any other character shows as '?'.
const GlyphInfo* glyph_for(uint32_t code) {
    if (is_control(code)) return nullptr;
    return &g_glyphs.glyphs[code <= 0xFF ? code : static_cast<uint32_t>('?')];
}

// How far the pen moves for a character at pen: a tab goes on to the next stop, one every
// kTabStopSpaces spaces from the start of the text.
int advance_at(uint32_t code, int pen) {
    if (code == '\t') {
        int stop = kTabStopSpaces * g_glyphs.glyphs[static_cast<unsigned char>(' ')].advance;
        return stop > 0 ? stop - pen % stop : 0;
    }
    const GlyphInfo* glyph = glyph_for(code);
    return glyph != nullptr ? glyph->advance : 0;
}

// Copies the rendered bitmap into its cell, clipped to the atlas.
void copy_bitmap(const FT_Bitmap& bitmap, int cell_x, int cell_y, std::vector<uint8_t>* atlas) {
    int columns = std::min(static_cast<int>(bitmap.width), g_glyphs.atlas_width - cell_x);
    int rows = std::min(static_cast<int>(bitmap.rows), g_glyphs.atlas_height - cell_y);
    for (int row = 0; row < rows && columns > 0; ++row) {
        memcpy(&(*atlas)[static_cast<size_t>(cell_y + row) * g_glyphs.atlas_width + cell_x],
               bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch, static_cast<size_t>(columns));
    }
}

// Start-up goes on without a font (a flash must not fail for want of one), but the person at
// the line learns which file it was.
void report_missing_font(const char* font_path) {
    fprintf(stderr, "FreeType: cannot load the font '%s': no text will be shown\n", font_path);
}

// One textured quad; y is the bottom of the text line, pen_x where the pen stands.
void draw_glyph(float pen_x, float y, const GlyphInfo& g) {
    float left = pen_x + static_cast<float>(g.bearing_x);
    float right = left + static_cast<float>(g.width);
    float top = y + static_cast<float>(g.bearing_y - g_glyphs.descender);
    float bottom = top - static_cast<float>(g.height);
    float texel_left = static_cast<float>(g.cell_x);
    float texel_right = static_cast<float>(g.cell_x + g.width);
    float texel_top = static_cast<float>(g.cell_y);
    float texel_bottom = static_cast<float>(g.cell_y + g.height);
    const GLfloat xy[8] = {left, bottom, left, top, right, bottom, right, top};
    const GLfloat texels[8] = {texel_left, texel_bottom, texel_left, texel_top,
                               texel_right, texel_bottom, texel_right, texel_top};
    draw_strip(xy, texels);
}

// Leading bytes of whole characters whose advances fit strictly inside width.
int fit(const char* text, int width, bool stop_at_newline) {
    int taken = 0;
    int pen = 0;
    for (const char* p = text; *p != '\0' && !(stop_at_newline && *p == '\n');) {
        TextChar c = next_char(p);
        int advance = advance_at(c.code, pen);
        if (advance >= width - pen) break;
        pen += advance;
        taken += c.length;
        p += c.length;
    }
    return taken;
}

}  // namespace

void load_font(const char* font_path) {
    FT_Error error = FT_Init_FreeType(&g_library);
    if (error != 0) {
        fprintf(stderr, "FreeType: initialisation failed, error: %d\n", error);
        g_library = nullptr;
        report_missing_font(font_path);
        return;
    }
    if ((error = hu_FT_Add_Module(g_library, HU_FT_SMOOTH_RENDERER)) != 0) {
        fprintf(stderr, "FreeType: smooth renderer module insert failed, error: %d\n", error);
    }
    if ((error = hu_FT_Add_Module(g_library, HU_FT_SFNT_MODULE)) != 0) {
        fprintf(stderr, "FreeType: sfnt module insert failed, error: %d\n", error);
    }
    if ((error = hu_FT_Add_Module(g_library, HU_FT_TRUETYPE_DRIVER)) != 0) {
        fprintf(stderr, "FreeType: TrueType font driver module insert failed, error: %d\n", error);
    }
    error = FT_New_Face(g_library, font_path, 0, &g_face);
    if (error == kUnknownFileFormat) {
        printf("FreeType: unknown file format\n");
    } else if (error != 0) {
        fprintf(stderr, "FreeType: create new face failed, error: %d\n", error);
    }
    if (error != 0) {
        g_face = nullptr;
        report_missing_font(font_path);
    }
}

void rasterise_glyphs(int font_size, std::vector<uint8_t>* atlas) {
    if (g_face == nullptr) return;  // no font: every byte draws as nothing
    FT_Set_Char_Size(g_face, static_cast<FT_F26Dot6>(font_size) * 64, 0, kDpi, kDpi);
    const FT_Size_Metrics& metrics = g_face->size->metrics;
    g_glyphs.line_height = static_cast<int>(metrics.height / 64);
    g_glyphs.descender = static_cast<int>(metrics.descender / 64);
    int cell_width = metrics.x_ppem;
    int cell_height = metrics.y_ppem;
    g_glyphs.atlas_width = power_of_two_above(16 * cell_width);
    g_glyphs.atlas_height = power_of_two_above(16 * cell_height);
    atlas->assign(static_cast<size_t>(g_glyphs.atlas_width) * g_glyphs.atlas_height, 0);

    for (int code = 0; code < 256; ++code) {
        if (FT_Load_Char(g_face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot slot = g_face->glyph;
        GlyphInfo& glyph = g_glyphs.glyphs[code];
        glyph.cell_x = (code % 16) * cell_width;
        glyph.cell_y = (code / 16) * cell_height;
        glyph.width = static_cast<int>(slot->metrics.width / 64);
        glyph.height = static_cast<int>(slot->metrics.height / 64);
        glyph.bearing_x = static_cast<int>(slot->metrics.horiBearingX / 64);
        glyph.bearing_y = static_cast<int>(slot->metrics.horiBearingY / 64);
        glyph.advance = static_cast<int>(slot->metrics.horiAdvance / 64);
        copy_bitmap(slot->bitmap, glyph.cell_x, glyph.cell_y, atlas);
    }
}

void build_glyphs(int font_size) {
    std::vector<uint8_t> atlas;
    rasterise_glyphs(font_size, &atlas);
    if (atlas.empty()) return;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, g_glyphs.atlas_width, g_glyphs.atlas_height, 0, GL_LUMINANCE,
                 GL_UNSIGNED_BYTE, atlas.data());
}

void release_font() {
    if (g_library == nullptr) return;
    FT_Error error = FT_Done_FreeType(g_library);
    if (error != 0) fprintf(stderr, "FreeType: deinitialisation failed, error: %d\n", error);
    g_library = nullptr;
    g_face = nullptr;  // ended with the library
}

int text_width(const char* text) {
    int pen = 0;
    for (const char* p = text; *p != '\0';) {
        TextChar c = next_char(p);
        pen += advance_at(c.code, pen);
        p += c.length;
    }
    return pen;
}

int fit_count(const char* text, int width) { return fit(text, width, true); }

int fit_in_row(const char* text, int width) { return fit(text, width, false); }

int ink_top() {
    int top = 0;
    for (uint32_t code = 0; code < 256; ++code) {
        if (!is_control(code)) top = std::max(top, g_glyphs.glyphs[code].bearing_y);
    }
    return top;
}

void draw_text(float x, float y, const char* text, float red, float green, float blue) {
    const RenderContext* context = render_context();
    glEnable(GL_BLEND);
    glBlendFunc(GL_CONSTANT_COLOR, GL_ONE_MINUS_SRC_COLOR);
    glBlendEquation(GL_FUNC_ADD);
    glBlendColor(red, green, blue, 1.0f);
    glUseProgram(context->text_program);
    glUniform1i(glGetUniformLocation(context->text_program, "u_sTexture"), 0);
    set_texel_transform(context->text_program, g_glyphs.atlas_width, g_glyphs.atlas_height);
    set_pixel_transform(context->text_program);
    int pen = 0;
    for (const char* p = text; *p != '\0';) {
        TextChar c = next_char(p);
        p += c.length;
        const GlyphInfo* glyph = glyph_for(c.code);
        int advance = advance_at(c.code, pen);
        if (glyph != nullptr) draw_glyph(x + static_cast<float>(pen), y, *glyph);
        pen += advance;
    }
    glDisable(GL_BLEND);
}
