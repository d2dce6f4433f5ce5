// What the terminal shows and where: text split into lines, the status line with the
// flashing clock, and the newest rows of lines and progress bars.
#pragma once

#include "draw.h"

// Splits text into lines that fit the layout width and appends them.
void add_text(const char* text);
// "%02d:%02d:%02d" (hours not wrapped), cut to 9 characters.
void time_text(int seconds, char buffer[10]);
// Rows of items the layout has room for (0 or less: none).
int visible_rows();
// Draws and presents one whole frame.
void redraw(const Colour& background, const Colour& foreground, const Colour& status_line, const Colour& bar_name);
