// PNG files, the image library and the screen size of the graphics substitutes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "hu/img.h"
#include "hu/png_file.h"
#include "hu/screen.h"
#include "hu_testing.h"

namespace {

hu::png::Image gradient(unsigned width, unsigned height) {
    hu::png::Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(static_cast<size_t>(width) * height * 4);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            uint8_t* p = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y);
            p[2] = static_cast<uint8_t>(x ^ y);
            p[3] = 255;
        }
    }
    return image;
}

TEST(PngFile, WrittenFramesReadBackPixelForPixelAndReplaceTheOldFile) {
    hu::testing::TempRoot root;
    std::string path = root.path() + "/frame.png";
    ASSERT_TRUE(hu::png::writeAtomically(path, gradient(3, 2)));
    hu::png::Image second = gradient(37, 11);
    ASSERT_TRUE(hu::png::writeAtomically(path, second));
    hu::png::Image back;
    ASSERT_TRUE(hu::png::read(path, &back));
    EXPECT_EQ(back.width, 37u);
    EXPECT_EQ(back.height, 11u);
    EXPECT_EQ(back.rgba, second.rgba);
}

TEST(PngFile, WhatIsNotAPngIsRefused) {
    hu::testing::TempRoot root;
    hu::testing::writeFile(root.path() + "/text.png", "not a picture at all");
    hu::testing::writeFile(root.path() + "/cut.png", std::string("\x89PNG\r\n\x1a\n\0\0", 10));
    hu::png::Image image;
    for (const char* name : {"/text.png", "/cut.png", "/absent.png"}) {
        EXPECT_FALSE(hu::png::read(root.path() + name, &image)) << name;
    }
}

TEST(ImageLibrary, LoadsRgbaRowsTopFirstAndRefusesOtherFormatsAndFiles) {
    hu::testing::TempRoot root;
    std::string path = root.path() + "/logo.png";
    ASSERT_TRUE(hu::png::writeAtomically(path, gradient(5, 4)));
    img_lib_t library = nullptr;
    ASSERT_EQ(img_lib_attach(&library), IMG_ERR_OK);

    img_t image{};
    image.format = IMG_FMT_RGBA8888;
    image.flags = IMG_FORMAT;
    ASSERT_EQ(img_load_file(library, path.c_str(), nullptr, &image), IMG_ERR_OK);
    EXPECT_EQ(image.w, 5u);
    EXPECT_EQ(image.h, 4u);
    EXPECT_EQ(image.access.direct.stride, 20u);
    EXPECT_EQ(0, memcmp(image.access.direct.data, gradient(5, 4).rgba.data(), 5 * 4 * 4));
    free(image.access.direct.data);

    img_t no_format{};
    EXPECT_EQ(img_load_file(library, path.c_str(), nullptr, &no_format), IMG_ERR_FORMAT);
    img_t missing{};
    missing.format = IMG_FMT_RGBA8888;
    missing.flags = IMG_FORMAT;
    EXPECT_EQ(img_load_file(library, (root.path() + "/none.png").c_str(), nullptr, &missing), IMG_ERR_FILE);
    img_lib_detach(library);
}

TEST(ScreenContext, SizeComesFromTheOverrideAndFailsForAMalformedOne) {
    struct Case {
        const char* value;
        bool known;
        int width;
        int height;
    } cases[] = {{"800x600", true, 800, 600}, {"bogus", false, 0, 0}, {"640x", false, 0, 0}, {"0x480", false, 0, 0}};
    for (const Case& c : cases) {
        setenv("HU_SCREEN_SIZE", c.value, 1);
        screen_context_t context = nullptr;
        ASSERT_EQ(screen_create_context(&context, SCREEN_APPLICATION_CONTEXT), 0);
        int count = 0;
        ASSERT_EQ(screen_get_context_property_iv(context, SCREEN_PROPERTY_DISPLAY_COUNT, &count), 0);
        ASSERT_EQ(count, 1);
        screen_display_t display = nullptr;
        ASSERT_EQ(screen_get_context_property_pv(context, SCREEN_PROPERTY_DISPLAYS, reinterpret_cast<void**>(&display)), 0);
        int size[2] = {0, 0};
        EXPECT_EQ(screen_get_display_property_iv(display, SCREEN_PROPERTY_SIZE, size) == 0, c.known) << c.value;
        EXPECT_EQ(size[0], c.width);
        EXPECT_EQ(size[1], c.height);
        screen_destroy_context(context);
    }
    unsetenv("HU_SCREEN_SIZE");
}

}  // namespace
