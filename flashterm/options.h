// The terminal's command line.
#pragma once

#include <cstdint>

struct TerminalOptions {
    const char* font_path = nullptr;
    const char* logo_path = nullptr;
    int logo_time = 5;
    int font_size = 12;
    bool half_width = false;
    uint32_t background = 0x6E3B3B;
    uint32_t foreground = 0xFFFFFF;
    uint32_t status_line = 0xC49191;
    uint32_t bar_name = 0x000000;
};

extern TerminalOptions g_options;

// Fills g_options. Returns -1 to go on, else the exit status (messages already printed).
int parse_options(int argc, char* const* argv);
