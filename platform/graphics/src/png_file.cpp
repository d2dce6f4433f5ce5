#include "hu/png_file.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace hu::png {
namespace {

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

}  // namespace

bool read(const std::string& path, Image* image) {
    File file(fopen(path.c_str(), "rb"));
    if (!file) return false;
    png_byte signature[8];
    if (fread(signature, 1, sizeof signature, file.get()) != sizeof signature || png_sig_cmp(signature, 0, 8) != 0) {
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file.get());
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    png_set_expand(png);  // palette, low-depth grey and tRNS to full channels
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    image->width = png_get_image_width(png, info);
    image->height = png_get_image_height(png, info);
    image->rgba.assign(static_cast<size_t>(image->width) * image->height * 4, 0);
    rows.resize(image->height);
    for (unsigned y = 0; y < image->height; ++y) rows[y] = &image->rgba[static_cast<size_t>(y) * image->width * 4];
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool writeAtomically(const std::string& path, const Image& image) {
    std::string temporary = path + ".tmp." + std::to_string(getpid());
    File file(fopen(temporary.c_str(), "wb"));
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        file.reset();
        unlink(temporary.c_str());
        return false;
    }
    png_init_io(png, file.get());
    // Captures are written every second: favour speed over size.
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (unsigned y = 0; y < image.height; ++y) {
        png_write_row(png, const_cast<png_bytep>(image.pixel(0, y)));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (fflush(file.get()) != 0) {
        file.reset();
        unlink(temporary.c_str());
        return false;
    }
    file.reset();
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace hu::png
