// The IPL area (three regions) read whole from an image file or from the raw flash device.
#pragma once

#include <cstdint>

extern const char* g_progname;

// A malloc'ed copy of the area; any failure ends the program with exit status 1.
uint8_t* iplReadImage(const char* path);
uint8_t* iplReadFlash(const char* device);
