#include "displayable.h"

#include <GLES2/gl2.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "hu/kd.h"
#include "hu/screen.h"

namespace {

// Property 1002 of the window (its display pipeline) and the caption both name pipeline 16.
constexpr KDint kWindowPropertyPipeline = 1002;
constexpr int kFallbackWidth = 1280;
constexpr int kFallbackHeight = 480;
constexpr int kMaxDisplays = 16;

bool configFits(EGLDisplay display, EGLConfig config) {
    EGLint value = 0;
    if (!eglGetConfigAttrib(display, config, EGL_SURFACE_TYPE, &value) || !(value & EGL_WINDOW_BIT)) return false;
    if (!eglGetConfigAttrib(display, config, EGL_RENDERABLE_TYPE, &value) || !(value & EGL_OPENGL_ES2_BIT)) return false;
    for (EGLint channel : {EGL_RED_SIZE, EGL_GREEN_SIZE, EGL_BLUE_SIZE, EGL_ALPHA_SIZE}) {
        if (!eglGetConfigAttrib(display, config, channel, &value) || value != 8) return false;
    }
    return true;
}

}  // namespace

CDisplayable* CDisplayable::instance() {
    static CDisplayable* the_instance = new CDisplayable;
    return the_instance;
}

CDisplayable::CDisplayable() { sem_init(&size_known_, 0, 0); }

CDisplayable::~CDisplayable() { sem_destroy(&size_known_); }

void CDisplayable::fetchScreenSize() {
    screen_context_t context = nullptr;
    if (screen_create_context(&context, SCREEN_APPLICATION_CONTEXT) != 0) {
        fprintf(stderr, "[FlashTerm] ERROR: screen_create_context\n");
        return;
    }
    int count = 0;
    if (screen_get_context_property_iv(context, SCREEN_PROPERTY_DISPLAY_COUNT, &count) != 0 || count < 1 ||
        count > kMaxDisplays) {
        fprintf(stderr, "[FlashTerm] ERROR: SCREEN_PROPERTY_DISPLAY_COUNT\n");
    } else {
        auto* displays = static_cast<screen_display_t*>(calloc(static_cast<size_t>(count), sizeof(screen_display_t)));
        if (displays == nullptr) {
            fprintf(stderr, "[FlashTerm] ERROR: cant allocate mem for displays\n");
        } else if (screen_get_context_property_pv(context, SCREEN_PROPERTY_DISPLAYS,
                                                  reinterpret_cast<void**>(displays)) != 0) {
            fprintf(stderr, "[FlashTerm] ERROR: SCREEN_PROPERTY_DISPLAYS\n");
        } else {
            int size[2] = {0, 0};
            if (screen_get_display_property_iv(displays[0], SCREEN_PROPERTY_SIZE, size) == 0) {
                printf("[FlashTerm] screen resolution fetched: [%dx%d]\n", size[0], size[1]);
                width_ = size[0];
                height_ = size[1];
            } else {
                fprintf(stderr, "[FlashTerm] ERROR: SCREEN_PROPERTY_SIZE\n");
                width_ = kFallbackWidth;
                height_ = kFallbackHeight;
            }
        }
        free(displays);
    }
    screen_destroy_context(context);
}

bool CDisplayable::init() {
    printf("[FlashTerm] CDisplayable init()\n");
    printf("[FlashTerm] getting display ...\n");
    display_ = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display_ == EGL_NO_DISPLAY) {
        fprintf(stderr, "[FlashTerm] Error: can't get EGL display.\n");
        return false;
    }
    printf("[FlashTerm] initializing egl...\n");
    if (eglInitialize(display_, nullptr, nullptr) != EGL_TRUE) {
        fprintf(stderr, "[FlashTerm] Error: can't init EGL display.\n");
        return false;
    }
    printf("[FlashTerm] egl initialized.\n");
    printf("[FlashTerm] Get egl configs\n");
    EGLint count = 0;
    if (eglGetConfigs(display_, nullptr, 0, &count) != EGL_TRUE || count == 0) {
        fprintf(stderr, "[FlashTerm] Error: can't get EGL configs.\n");
        eglTerminate(display_);
        display_ = EGL_NO_DISPLAY;
        return false;
    }
    auto* configs = static_cast<EGLConfig*>(malloc(sizeof(EGLConfig) * static_cast<size_t>(count)));
    if (configs == nullptr) {
        fprintf(stderr, "[FlashTerm] could not allocate memory for %d EGL configs\n", count);
        return false;
    }
    if (eglGetConfigs(display_, configs, count, &count) != EGL_TRUE) {
        fprintf(stderr, "[FlashTerm] can't get %d configs\n", count);
        free(configs);
        return false;
    }
    EGLConfig config = nullptr;
    for (EGLint i = 0; i < count && config == nullptr; ++i) {
        if (configFits(display_, configs[i])) config = configs[i];
    }
    free(configs);  // the chosen handle stays valid without the array
    if (config == nullptr) {
        fprintf(stderr, "[FlashTerm] ERROR: can't choose config\n");
        return false;
    }
    EGLint config_id = 0;
    eglGetConfigAttrib(display_, config, EGL_CONFIG_ID, &config_id);
    printf("[FlashTerm] choose config %d\n", config_id);

    eglBindAPI(EGL_OPENGL_ES_API);
    printf("[FlashTerm] Creating context...\n");
    const EGLint context_attributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    EGLContext context = eglCreateContext(display_, config, EGL_NO_CONTEXT, context_attributes);
    if (context == EGL_NO_CONTEXT) {
        fprintf(stderr, "[FlashTerm] ERROR: can't create EGL context.\n");
        eglTerminate(display_);
        return false;
    }

    if (width_ == 0 || height_ == 0) fetchScreenSize();
    // A size the screen would not tell must not become a window of no pixels.
    if (width_ <= 0 || height_ <= 0) {
        width_ = kFallbackWidth;
        height_ = kFallbackHeight;
    }

    printf("[FlashTerm] Context got. Creating KD window...\n");
    KDWindow* window = kdCreateWindow(display_, config, nullptr);
    window_ = window;
    if (window == nullptr) {
        fprintf(stderr, "[FlashTerm] Error: kdCreateWindow() failed with error: %d\n", kdGetError());
        return false;
    }
    kdSetWindowPropertycv(window, kWindowPropertyPipeline, "16");
    kdSetWindowPropertycv(window, KD_WINDOWPROPERTY_CAPTION, "16");
    const KDint32 size[2] = {width_, height_};
    kdSetWindowPropertyiv(window, KD_WINDOWPROPERTY_SIZE, size);
    printf("[FlashTerm] kdWindow got [%dx%d]. Realizing native window...\n", width_, height_);

    EGLNativeWindowType native_window = 0;
    if (kdRealizeWindow(window, &native_window) != 0 || native_window == 0) {
        fprintf(stderr, "[FlashTerm] Error: kdRealizeWindow() failed with error: %d\n", kdGetError());
        return false;
    }
    printf("[FlashTerm] Window created.  Creating surface ...\n");
    surface_ = eglCreateWindowSurface(display_, config, native_window, nullptr);
    if (surface_ == EGL_NO_SURFACE) {
        fprintf(stderr, "[FlashTerm] eglCreateWindowSurface failed with error: 0x%0X\n", eglGetError());
        return false;
    }
    printf("[FlashTerm] Surface created.  Make current\n");
    if (eglMakeCurrent(display_, surface_, surface_, context) != EGL_TRUE) {
        fprintf(stderr, "[FlashTerm] Error: can't make current surface. err=%d\n", eglGetError());
        return false;
    }
    printf("[FlashTerm] Getting viewport size...\n");
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    printf("[FlashTerm] ok\n");
    printf("[FlashTerm] Viewport size got (%d, %d, %d, %d)\n", viewport[0], viewport[1], viewport[2], viewport[3]);
    width_ = viewport[2];
    height_ = viewport[3];
    return true;
}

bool CDisplayable::swap() {
    if (eglSwapBuffers(display_, surface_) != EGL_TRUE) {
        fprintf(stderr, "Error: can't swap buffers.\n");
        return false;
    }
    return true;
}

void CDisplayable::evtWindowCreated(unsigned long id) { printf("evtWindowCreated called id=%lu\n", id); }

void CDisplayable::evtWindowSize(int kind, int, int, int, int, int width, int height) {
    if (kind != 0) return;
    width_ = width;
    height_ = height;
    sem_post(&size_known_);
}
