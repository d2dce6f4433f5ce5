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
// Until end_clip, drawing touches only the columns x_from .. x_to - 1 of the layout.
void clip_columns(int x_from, int x_to);
void end_clip();
