// Screen context: one display, sized by HU_SCREEN_SIZE or the X screen.
#include "hu/screen.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

struct _screen_display {
    bool known = false;
    int width = 0;
    int height = 0;
};

struct _screen_context {
    _screen_display display;
};

namespace {

// HU_SCREEN_SIZE when set (false for a malformed value), else the default X screen.
bool displaySize(int* width, int* height) {
    if (const char* size = std::getenv("HU_SCREEN_SIZE")) {
        char rest;
        return std::sscanf(size, "%dx%d%c", width, height, &rest) == 2 && *width > 0 && *height > 0;
    }
    Display* x = XOpenDisplay(nullptr);
    if (x == nullptr) return false;
    *width = DisplayWidth(x, DefaultScreen(x));
    *height = DisplayHeight(x, DefaultScreen(x));
    XCloseDisplay(x);
    return true;
}

}  // namespace

int screen_create_context(screen_context_t* pctx, int /*flags*/) {
    if (pctx == nullptr) {
        errno = EINVAL;
        return -1;
    }
    auto* ctx = new _screen_context;
    ctx->display.known = displaySize(&ctx->display.width, &ctx->display.height);
    *pctx = ctx;
    return 0;
}

int screen_destroy_context(screen_context_t ctx) {
    delete ctx;
    return 0;
}

int screen_get_context_property_iv(screen_context_t ctx, int pname, int* param) {
    if (ctx == nullptr || param == nullptr || pname != SCREEN_PROPERTY_DISPLAY_COUNT) {
        errno = EINVAL;
        return -1;
    }
    *param = 1;
    return 0;
}

int screen_get_context_property_pv(screen_context_t ctx, int pname, void** param) {
    if (ctx == nullptr || param == nullptr || pname != SCREEN_PROPERTY_DISPLAYS) {
        errno = EINVAL;
        return -1;
    }
    param[0] = &ctx->display;
    return 0;
}

int screen_get_display_property_iv(screen_display_t disp, int pname, int* param) {
    if (disp == nullptr || param == nullptr || pname != SCREEN_PROPERTY_SIZE) {
        errno = EINVAL;
        return -1;
    }
    if (!disp->known) {
        errno = ENODEV;
        return -1;
    }
    param[0] = disp->width;
    param[1] = disp->height;
    return 0;
}
