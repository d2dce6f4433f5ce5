// The drawing state of the display thread: the two GL programs and the layout size, kept
// in the thread's OpenKODE slot.
#pragma once

#include <GLES2/gl2.h>

struct RenderContext {
    GLuint text_program;
    GLuint color_program;
    unsigned width;
    unsigned height;
};

// Vertex attribute locations of both programs.
constexpr GLuint kPositionLocation = 0;
constexpr GLuint kTexCoordLocation = 2;

// A zero-filled context of this layout size, stored in the thread slot.
void create_render_context(unsigned width, unsigned height);
RenderContext* render_context();

// Compiles and links the text and colour programs; false when either cannot be built.
bool build_programs();

// Loads u_vTransform of program: layout pixels to clip space.
void set_pixel_transform(GLuint program);
// Loads u_fTransform of the text program: texels to texture coordinates.
void set_texel_transform(GLuint program, int texture_width, int texture_height);

// Feeds 4 vertices (x, y pairs) and optional texel pairs, and draws them as a triangle strip.
void draw_strip(const GLfloat* xy, const GLfloat* texels);

// The smallest power of two not below value (at least 1).
int power_of_two_above(int value);
