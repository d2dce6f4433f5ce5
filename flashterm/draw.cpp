#include "draw.h"

#include <GLES2/gl2.h>

#include "displayable.h"
#include "glyphs.h"
#include "render_context.h"

Colour colour_of(unsigned rgb) {
    return {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f, static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
            static_cast<float>(rgb & 0xFF) / 255.0f};
}

void fill_bar(float y, float length, float red, float green, float blue) {
    const RenderContext* context = render_context();
    glUseProgram(context->color_program);
    glUniform4f(glGetUniformLocation(context->color_program, "u_fColor"), red, green, blue, 1.0f);
    glDisable(GL_BLEND);
    set_pixel_transform(context->color_program);
    float top = y + static_cast<float>(g_glyphs.line_height);
    const GLfloat xy[8] = {10, y, 10, top, 10 + length, y, 10 + length, top};
    draw_strip(xy, nullptr);
}

void present() { CDisplayable::instance()->swap(); }

void clip_columns(int x_from, int x_to) {
    const RenderContext* context = render_context();
    glEnable(GL_SCISSOR_TEST);
    glScissor(x_from, 0, x_to > x_from ? x_to - x_from : 0, static_cast<GLsizei>(context->height));
}

void end_clip() { glDisable(GL_SCISSOR_TEST); }
