// The screen context calls FlashTerm uses to learn the display size. The one display is
// the X screen of $DISPLAY; HU_SCREEN_SIZE=WxH overrides its size (any other value makes
// the size query fail, as a display without a known mode does).
#pragma once

typedef struct _screen_context* screen_context_t;
typedef struct _screen_display* screen_display_t;

#define SCREEN_APPLICATION_CONTEXT 0

// Property names.
#define SCREEN_PROPERTY_SIZE 40
#define SCREEN_PROPERTY_DISPLAY_COUNT 59
#define SCREEN_PROPERTY_DISPLAYS 60

// All return 0 on success, -1 with errno on failure.
int screen_create_context(screen_context_t* pctx, int flags);
int screen_destroy_context(screen_context_t ctx);
int screen_get_context_property_iv(screen_context_t ctx, int pname, int* param);
// SCREEN_PROPERTY_DISPLAYS: fills an array of as many displays as the display count.
int screen_get_context_property_pv(screen_context_t ctx, int pname, void** param);
// SCREEN_PROPERTY_SIZE: width and height in pixels.
int screen_get_display_property_iv(screen_display_t disp, int pname, int* param);
