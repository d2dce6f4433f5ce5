// OpenKODE windows as X11 windows on $DISPLAY, created with the visual of the EGL config.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>

#include "hu/kd.h"

struct KDWindow {
    Display* x = nullptr;
    VisualID visual_id = 0;
    int width = 0;  // 0: the X screen's size
    int height = 0;
    std::string caption;
    Window window = 0;
};

namespace {

thread_local KDint t_error = 0;
thread_local void* t_slot = nullptr;

template <typename T>
T fail(KDint error, T result) {
    t_error = error;
    return result;
}

}  // namespace

KDint kdGetError(void) { return t_error; }

void kdSetTLS(void* ptr) { t_slot = ptr; }
void* kdGetTLS(void) { return t_slot; }

KDWindow* kdCreateWindow(EGLDisplay display, EGLConfig config, void* /*eventuser*/) {
    EGLint visual_id = 0;
    if (!eglGetConfigAttrib(display, config, EGL_NATIVE_VISUAL_ID, &visual_id)) {
        return fail(KD_EINVAL, static_cast<KDWindow*>(nullptr));
    }
    Display* x = XOpenDisplay(nullptr);
    if (x == nullptr) return fail(KD_EIO, static_cast<KDWindow*>(nullptr));
    auto* window = new KDWindow;
    window->x = x;
    window->visual_id = static_cast<VisualID>(visual_id);
    return window;
}

KDint kdDestroyWindow(KDWindow* window) {
    if (window == nullptr) return fail(KD_EINVAL, -1);
    if (window->window != 0) XDestroyWindow(window->x, window->window);
    XCloseDisplay(window->x);
    delete window;
    return 0;
}

KDint kdSetWindowPropertyiv(KDWindow* window, KDint pname, const KDint32* param) {
    if (window == nullptr || param == nullptr || pname != KD_WINDOWPROPERTY_SIZE) return fail(KD_EINVAL, -1);
    if (param[0] <= 0 || param[1] <= 0) return fail(KD_EINVAL, -1);
    window->width = param[0];
    window->height = param[1];
    return 0;
}

// The caption names the X window; vendor properties are accepted and have no effect here.
KDint kdSetWindowPropertycv(KDWindow* window, KDint pname, const KDchar* param) {
    if (window == nullptr || param == nullptr) return fail(KD_EINVAL, -1);
    if (pname == KD_WINDOWPROPERTY_CAPTION) window->caption = param;
    return 0;
}

KDint kdRealizeWindow(KDWindow* window, EGLNativeWindowType* nativewindow) {
    if (window == nullptr || nativewindow == nullptr || window->window != 0) return fail(KD_EINVAL, -1);
    Display* x = window->x;
    int screen = DefaultScreen(x);
    XVisualInfo wanted{};
    wanted.visualid = window->visual_id;
    int found = 0;
    XVisualInfo* visual = XGetVisualInfo(x, VisualIDMask, &wanted, &found);
    if (visual == nullptr || found < 1) return fail(KD_EINVAL, -1);

    int width = window->width > 0 ? window->width : DisplayWidth(x, screen);
    int height = window->height > 0 ? window->height : DisplayHeight(x, screen);
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(x, RootWindow(x, screen), visual->visual, AllocNone);
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    attributes.override_redirect = True;  // full screen: no window manager frame
    window->window = XCreateWindow(x, RootWindow(x, screen), 0, 0, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 0, visual->depth, InputOutput, visual->visual,
                                   CWColormap | CWBorderPixel | CWBackPixel | CWOverrideRedirect, &attributes);
    XFree(visual);
    if (window->window == 0) return fail(KD_EIO, -1);
    if (!window->caption.empty()) XStoreName(x, window->window, window->caption.c_str());
    XMapWindow(x, window->window);
    XSync(x, False);
    *nativewindow = static_cast<EGLNativeWindowType>(window->window);
    return 0;
}
