// Image library over libpng.
#include "hu/img.h"

#include <cstdlib>
#include <cstring>

#include "hu/png_file.h"

struct img_lib {};

int img_lib_attach(img_lib_t* ilib) {
    if (ilib == nullptr) return IMG_ERR_NOTIMPL;
    *ilib = new img_lib;
    return IMG_ERR_OK;
}

void img_lib_detach(img_lib_t ilib) { delete ilib; }

int img_load_file(img_lib_t ilib, const char* path, const img_decode_callouts_t* /*callouts*/, img_t* img) {
    if (ilib == nullptr || path == nullptr || img == nullptr) return IMG_ERR_NOTIMPL;
    if ((img->flags & IMG_FORMAT) == 0 || img->format != IMG_FMT_RGBA8888) return IMG_ERR_FORMAT;
    hu::png::Image image;
    if (!hu::png::read(path, &image)) return IMG_ERR_FILE;
    size_t size = image.rgba.size();
    auto* data = static_cast<uint8_t*>(malloc(size > 0 ? size : 1));
    if (data == nullptr) return IMG_ERR_MEM;
    if (size > 0) memcpy(data, image.rgba.data(), size);
    img->access.direct.data = data;
    img->access.direct.stride = image.width * 4;
    img->w = image.width;
    img->h = image.height;
    img->flags |= IMG_W | IMG_H | IMG_DIRECT;
    return IMG_ERR_OK;
}
