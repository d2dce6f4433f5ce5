// The OpenKODE calls FlashTerm uses: the program entry point, one window per EGL surface
// (an X11 window underneath) and a thread slot. The program defines kdMain; the
// library's main calls it.
#pragma once

#include <EGL/egl.h>

#include <cstdint>

typedef int32_t KDint;
typedef int32_t KDint32;
typedef char KDchar;
typedef struct KDWindow KDWindow;

// Window properties.
#define KD_WINDOWPROPERTY_SIZE 66
#define KD_WINDOWPROPERTY_VISIBILITY 67
#define KD_WINDOWPROPERTY_FOCUS 68
#define KD_WINDOWPROPERTY_CAPTION 69

// Error codes of kdGetError.
#define KD_EINVAL 17
#define KD_EIO 22
#define KD_ENOMEM 25
#define KD_EPERM 33

// Defined by the program.
KDint kdMain(KDint argc, const KDchar* const* argv);

// A window for surfaces of config on display. Null on failure (kdGetError tells why).
KDWindow* kdCreateWindow(EGLDisplay display, EGLConfig config, void* eventuser);
KDint kdDestroyWindow(KDWindow* window);
// Properties take effect when the window is realised. 0 on success, -1 on failure.
KDint kdSetWindowPropertyiv(KDWindow* window, KDint pname, const KDint32* param);
KDint kdSetWindowPropertycv(KDWindow* window, KDint pname, const KDchar* param);
// Creates and shows the native window. 0 on success, -1 on failure.
KDint kdRealizeWindow(KDWindow* window, EGLNativeWindowType* nativewindow);
// The error of the calling thread's last failed call.
KDint kdGetError(void);

// One pointer per thread.
void kdSetTLS(void* ptr);
void* kdGetTLS(void);
