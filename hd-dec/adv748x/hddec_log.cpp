#include "hddec_log.h"

#include <cstdarg>
#include <cstdio>

#include "hu/slog.h"

namespace {
constexpr int kDriverOpcode = 8;
}

void hddec_log(const char* fmt, ...) {
    char text[kSlogMaxText + 1];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    slogf(kDriverOpcode, _SLOG_DEBUG1, "hd-dec:%s", text);
    std::fprintf(stderr, "hd-dec:%s\n", text);
}
