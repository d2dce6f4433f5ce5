// The floor of FlashTerm's resident size: a bare full-screen EGL window with an OpenGL ES 2
// context on the same display and driver, clearing and presenting frames and nothing else.
// With --quad it also compiles one textured-quad program and draws it in every frame, which
// shows what the driver's shader compiler adds. It prints "ready" after its first frames and
// presents until its standard input ends.
#include <EGL/egl.h>
#include <GLES2/gl2.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

GLuint compile(GLenum kind, const char* source) {
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// One textured quad over the whole window.
void drawQuad() {
    static GLuint program = 0;
    if (program == 0) {
        program = glCreateProgram();
        glAttachShader(program, compile(GL_VERTEX_SHADER,
                                        "attribute vec2 p; varying vec2 t;"
                                        "void main() { t = p * 0.5 + 0.5; gl_Position = vec4(p, 0.0, 1.0); }"));
        glAttachShader(program, compile(GL_FRAGMENT_SHADER,
                                        "precision mediump float; varying vec2 t; uniform sampler2D s;"
                                        "void main() { gl_FragColor = texture2D(s, t); }"));
        glBindAttribLocation(program, 0, "p");
        glLinkProgram(program);
        GLuint texture = 0;
        const unsigned char texel[4] = {255, 255, 255, 255};
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    }
    static const GLfloat corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glUseProgram(program);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, corners);
    glEnableVertexAttribArray(0);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

}  // namespace

int main(int argc, char** argv) {
    const bool quad = argc > 1 && std::strcmp(argv[1], "--quad") == 0;
    Display* x = XOpenDisplay(nullptr);
    if (x == nullptr) return 1;
    int screen = DefaultScreen(x);
    EGLDisplay display = eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(x));
    if (display == EGL_NO_DISPLAY || eglInitialize(display, nullptr, nullptr) != EGL_TRUE) return 1;
    const EGLint wanted[] = {EGL_RED_SIZE,        8, EGL_GREEN_SIZE,      8, EGL_BLUE_SIZE, 8, EGL_SURFACE_TYPE,
                             EGL_WINDOW_BIT,      EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (eglChooseConfig(display, wanted, &config, 1, &count) != EGL_TRUE || count < 1) return 1;
    eglBindAPI(EGL_OPENGL_ES_API);
    const EGLint version[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, version);
    Window window = XCreateSimpleWindow(x, RootWindow(x, screen), 0, 0, static_cast<unsigned>(DisplayWidth(x, screen)),
                                        static_cast<unsigned>(DisplayHeight(x, screen)), 0, 0, 0);
    XMapWindow(x, window);
    XSync(x, False);
    EGLSurface surface = eglCreateWindowSurface(display, config, static_cast<EGLNativeWindowType>(window), nullptr);
    if (context == EGL_NO_CONTEXT || surface == EGL_NO_SURFACE ||
        eglMakeCurrent(display, surface, surface, context) != EGL_TRUE) {
        return 1;
    }
    for (int frame = 0;; ++frame) {
        glClearColor(0.43f, 0.23f, 0.23f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        if (quad) drawQuad();
        eglSwapBuffers(display, surface);
        if (frame == 10) {
            printf("ready\n");
            fflush(stdout);
        }
        pollfd input{0, POLLIN, 0};
        if (frame >= 10 && poll(&input, 1, 100) > 0) {
            char byte;
            if (read(0, &byte, 1) <= 0) break;
        }
    }
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroySurface(display, surface);
    eglDestroyContext(display, context);
    eglTerminate(display);
    XDestroyWindow(x, window);
    XCloseDisplay(x);
    return 0;
}
