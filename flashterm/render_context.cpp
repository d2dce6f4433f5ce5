#include "render_context.h"

#include "hu/kd.h"

namespace {

const char kTextVertexShader[] =
    "attribute vec4 a_vPosition; \n"
    "attribute vec2 a_texCoord; \n"
    "varying vec2 v_texCoord; \n"
    "uniform mat4 u_vTransform; \n"
    " \n"
    "void main() \n"
    "{ \n"
    "   gl_Position = u_vTransform * a_vPosition; \n"
    "   v_texCoord = a_texCoord; \n"
    "} \n";

const char kTextFragmentShader[] =
    "precision mediump float; \n"
    "varying vec2 v_texCoord; \n"
    "uniform sampler2D u_sTexture; \n"
    "uniform mat2 u_fTransform; \n"
    " \n"
    "void main() \n"
    "{ \n"
    "   vec4 tex = texture2D( u_sTexture, v_texCoord  * u_fTransform); \n"
    "   if (tex.rgb == vec3(0, 0, 0)) \n"
    "   { \n"
    "      discard; \n"
    "   } \n"
    "   gl_FragColor = tex; \n"
    "} \n";

const char kColorVertexShader[] =
    "attribute vec4 a_vPosition; \n"
    "uniform mat4 u_vTransform; \n"
    " \n"
    "void main() \n"
    "{ \n"
    "   gl_Position = u_vTransform * a_vPosition; \n"
    "} \n";

const char kColorFragmentShader[] =
    "precision mediump float; \n"
    "uniform vec4 u_fColor; \n"
    " \n"
    "void main() \n"
    "{ \n"
    "   gl_FragColor = u_fColor; \n"
    "} \n";

// The shader's name, or 0 when it does not compile.
GLuint compile(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    if (shader == 0) return 0;
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

bool link(GLuint program) {
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) glDeleteProgram(program);
    return linked != 0;
}

}  // namespace

void create_render_context(unsigned width, unsigned height) {
    auto* context = new RenderContext{};
    context->width = width;
    context->height = height;
    kdSetTLS(context);
}

RenderContext* render_context() { return static_cast<RenderContext*>(kdGetTLS()); }

bool build_programs() {
    GLuint text_vertex = compile(GL_VERTEX_SHADER, kTextVertexShader);
    GLuint text_fragment = compile(GL_FRAGMENT_SHADER, kTextFragmentShader);
    GLuint color_vertex = compile(GL_VERTEX_SHADER, kColorVertexShader);
    GLuint color_fragment = compile(GL_FRAGMENT_SHADER, kColorFragmentShader);
    GLuint text_program = glCreateProgram();
    GLuint color_program = glCreateProgram();
    if (text_program == 0 || color_program == 0) return false;
    glAttachShader(text_program, text_vertex);
    glAttachShader(text_program, text_fragment);
    glAttachShader(color_program, color_vertex);
    glAttachShader(color_program, color_fragment);
    glBindAttribLocation(text_program, kPositionLocation, "a_vPosition");
    glBindAttribLocation(text_program, kTexCoordLocation, "a_texCoord");
    glBindAttribLocation(color_program, kPositionLocation, "a_vPosition");
    bool text_linked = link(text_program);
    bool color_linked = link(color_program);
    if (!text_linked || !color_linked) return false;
    RenderContext* context = render_context();
    context->text_program = text_program;
    context->color_program = color_program;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return true;
}

void set_pixel_transform(GLuint program) {
    const RenderContext* context = render_context();
    // Column-major.
    const GLfloat transform[16] = {
        2.0f / static_cast<GLfloat>(context->width), 0, 0, 0,
        0, 2.0f / static_cast<GLfloat>(context->height), 0, 0,
        0, 0, 1, 0,
        -1, -1, 0, 1,
    };
    glUniformMatrix4fv(glGetUniformLocation(program, "u_vTransform"), 1, GL_FALSE, transform);
}

void set_texel_transform(GLuint program, int texture_width, int texture_height) {
    const GLfloat transform[4] = {1.0f / static_cast<GLfloat>(texture_width), 0, 0,
                                  1.0f / static_cast<GLfloat>(texture_height)};
    glUniformMatrix2fv(glGetUniformLocation(program, "u_fTransform"), 1, GL_FALSE, transform);
}

void draw_strip(const GLfloat* xy, const GLfloat* texels) {
    const GLfloat positions[12] = {xy[0], xy[1], 0, xy[2], xy[3], 0, xy[4], xy[5], 0, xy[6], xy[7], 0};
    glEnableVertexAttribArray(kPositionLocation);
    glVertexAttribPointer(kPositionLocation, 3, GL_FLOAT, GL_FALSE, 0, positions);
    if (texels != nullptr) {
        glEnableVertexAttribArray(kTexCoordLocation);
        glVertexAttribPointer(kTexCoordLocation, 2, GL_FLOAT, GL_FALSE, 0, texels);
    } else {
        glDisableVertexAttribArray(kTexCoordLocation);
    }
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

int power_of_two_above(int value) {
    int power = 1;
    while (power < value) power *= 2;
    return power;
}
