// The usage text a program carries for the system's usage utility: kept in the binary's
// "QNX_usage" section, with %C standing for the program name.
#pragma once

#define HU_USAGE(text) \
    extern "C" __attribute__((used, section("QNX_usage"))) const char hu_usage_text[] = text
