#include "logo.h"

#include <GLES2/gl2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "displayable.h"
#include "hu/img.h"
#include "render_context.h"

namespace {

LogoImage g_logo;

}  // namespace

bool load_logo(const char* image_path) {
    img_lib_t library = nullptr;
    int result = img_lib_attach(&library);
    if (result != IMG_ERR_OK) {
        fprintf(stderr, "img_lib_attach() failed: %d\n", result);
        return false;
    }
    img_t image{};
    image.format = IMG_FMT_RGBA8888;
    image.flags = IMG_FORMAT;
    result = img_load_file(library, image_path, nullptr, &image);
    img_lib_detach(library);
    if (result != IMG_ERR_OK) {
        fprintf(stderr, "img_load_file(%s) failed: %d\n", image_path, result);
        return false;
    }
    g_logo.image_width = static_cast<int>(image.w);
    g_logo.image_height = static_cast<int>(image.h);
    g_logo.texture_width = power_of_two_above(g_logo.image_width);
    g_logo.texture_height = power_of_two_above(g_logo.image_height);

    size_t image_stride = static_cast<size_t>(g_logo.image_width) * 4;
    size_t texture_stride = static_cast<size_t>(g_logo.texture_width) * 4;
    auto* texels = static_cast<uint8_t*>(calloc(texture_stride, static_cast<size_t>(g_logo.texture_height)));
    if (texels != nullptr) {
        for (int row = 0; row < g_logo.image_height; ++row) {
            memcpy(texels + row * texture_stride, image.access.direct.data + row * image_stride, image_stride);
        }
    }
    free(image.access.direct.data);
    if (texels == nullptr) {
        fprintf(stderr, "img_load_file(%s) failed: %d\n", image_path, IMG_ERR_MEM);
        return false;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, g_logo.texture_width, g_logo.texture_height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels);
    free(texels);
    return true;
}

void draw_logo() {
    const RenderContext* context = render_context();
    glViewport(0, 0, static_cast<GLsizei>(context->width), static_cast<GLsizei>(context->height));
    glClear(GL_COLOR_BUFFER_BIT);
    glUseProgram(context->text_program);
    glDisable(GL_BLEND);
    glUniform1i(glGetUniformLocation(context->text_program, "u_sTexture"), 0);
    set_texel_transform(context->text_program, g_logo.texture_width, g_logo.texture_height);
    set_pixel_transform(context->text_program);
    float w = static_cast<float>(g_logo.image_width);
    float h = static_cast<float>(g_logo.image_height);
    float x0 = (static_cast<float>(context->width) - w) / 2;
    float y0 = (static_cast<float>(context->height) - h) / 2;
    const GLfloat xy[8] = {x0, y0 + h, x0 + w, y0 + h, x0, y0, x0 + w, y0};
    const GLfloat texels[8] = {0, 0, w, 0, 0, h, w, h};
    draw_strip(xy, texels);
    CDisplayable::instance()->swap();
}
