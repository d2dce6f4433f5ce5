// Reading and writing PNG files as 8-bit RGBA, rows top first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hu::png {

struct Image {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<uint8_t> rgba;  // width * height * 4 bytes, row 0 at the top

    const uint8_t* pixel(unsigned x, unsigned y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Any PNG colour type and depth, converted to 8-bit RGBA. False when the file is not a
// readable PNG.
bool read(const std::string& path, Image* image);

// Writes image (alpha dropped) to a temporary file beside path and renames it over path, so
// a reader sees either the old or the new picture, never half of one.
bool writeAtomically(const std::string& path, const Image& image);

}  // namespace hu::png
