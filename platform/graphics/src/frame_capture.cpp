// Every presented frame goes to the PNG file HU_SCREEN_CAPTURE names, so tests and people
// can look at the screen. Programs call eglSwapBuffers as usual; the link redirects the
// call here (--wrap) and this passes it on to EGL.
#include <EGL/egl.h>
#include <GLES2/gl2.h>

#include <cstdlib>
#include <cstring>

#include "hu/png_file.h"

extern "C" EGLBoolean __real_eglSwapBuffers(EGLDisplay display, EGLSurface surface);

namespace {

// The back buffer before it is swapped away; GL rows go bottom up, PNG rows top down.
void captureFrame(EGLDisplay display, EGLSurface surface, const char* path) {
    EGLint width = 0, height = 0;
    if (!eglQuerySurface(display, surface, EGL_WIDTH, &width) || !eglQuerySurface(display, surface, EGL_HEIGHT, &height) ||
        width <= 0 || height <= 0) {
        return;
    }
    hu::png::Image frame;
    frame.width = static_cast<unsigned>(width);
    frame.height = static_cast<unsigned>(height);
    size_t row_bytes = frame.width * 4u;
    std::vector<uint8_t> bottom_up(row_bytes * frame.height);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottom_up.data());
    frame.rgba.resize(bottom_up.size());
    for (unsigned y = 0; y < frame.height; ++y) {
        memcpy(&frame.rgba[y * row_bytes], &bottom_up[(frame.height - 1 - y) * row_bytes], row_bytes);
    }
    hu::png::writeAtomically(path, frame);
}

}  // namespace

extern "C" EGLBoolean __wrap_eglSwapBuffers(EGLDisplay display, EGLSurface surface) {
    const char* path = std::getenv("HU_SCREEN_CAPTURE");
    if (path != nullptr && *path != '\0') captureFrame(display, surface, path);
    return __real_eglSwapBuffers(display, surface);
}
