// The start-up logo: one image in texture 0, drawn once centred on a black screen.
#pragma once

struct LogoImage {
    int image_width;
    int image_height;
    int texture_width;
    int texture_height;
};

// Loads the image and uploads it; false (after a message) when the library or the file fails.
bool load_logo(const char* image_path);
// Clears, draws the logo centred and presents.
void draw_logo();
