// The image library calls FlashTerm uses to load its logo. PNG files only (libpng); the one
// pixel format delivered is 4 bytes per pixel in the order red, green, blue, alpha.
#pragma once

#include <cstdint>

typedef struct img_lib* img_lib_t;
typedef uint32_t img_format_t;

#define IMG_FMT_RGBA8888 0x01001520u

// img_t flags: which fields the caller fills in.
#define IMG_TRANSPARENCY 0x00000001u
#define IMG_FORMAT 0x00000002u
#define IMG_W 0x00000004u
#define IMG_H 0x00000008u
#define IMG_DIRECT 0x00000010u

// Result codes.
#define IMG_ERR_OK 0
#define IMG_ERR_MEM 1
#define IMG_ERR_FILE 2
#define IMG_ERR_FORMAT 3
#define IMG_ERR_NOTIMPL 4
#define IMG_ERR_CORRUPT 5

struct img_t {
    union {
        struct {
            uint8_t* data;  // malloc'ed by img_load_file; the caller frees it
            unsigned stride;
        } direct;
    } access;
    unsigned w;
    unsigned h;
    img_format_t format;
    unsigned flags;
};

typedef struct img_decode_callouts img_decode_callouts_t;

int img_lib_attach(img_lib_t* ilib);
void img_lib_detach(img_lib_t ilib);
// Loads the image at path (resolved as given) in the format img->format names (IMG_FORMAT
// must be set). IMG_ERR_OK or an error code.
int img_load_file(img_lib_t ilib, const char* path, const img_decode_callouts_t* callouts, img_t* img);
