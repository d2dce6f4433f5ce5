// The display: EGL on the screen, one window surface, its size.
#pragma once

#include <EGL/egl.h>
#include <semaphore.h>

class CDisplayable {
public:
    // The one instance, created on first use and never destroyed.
    static CDisplayable* instance();

    // Brings up EGL, the context, the window and its surface; false on failure.
    virtual bool init();
    // Presents the frame; false (after a message) when the swap failed.
    virtual bool swap();
    // Window-event interface.
    virtual void evtWindowCreated(unsigned long id);
    virtual void evtWindowSize(int kind, int, int, int, int, int width, int height);
    virtual ~CDisplayable();

    int width() const { return width_; }
    int height() const { return height_; }

private:
    CDisplayable();
    void fetchScreenSize();

    sem_t size_known_;
    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLSurface surface_ = EGL_NO_SURFACE;
    struct KDWindow* window_ = nullptr;  // under the surface, kept as long as the display
    int width_ = 0;
    int height_ = 0;
};
