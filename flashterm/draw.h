// Flat primitives of a frame.
#pragma once

struct Colour {
    float red;
    float green;
    float blue;
};

// 0xRRGGBB, each channel / 255.
Colour colour_of(unsigned rgb);

// A rectangle from x 10 to 10 + length, y to y + line height.
void fill_bar(float y, float length, float red, float green, float blue);
void present();
