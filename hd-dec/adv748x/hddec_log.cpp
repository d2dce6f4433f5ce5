#include "hddec_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "hu/slog.h"

namespace {
constexpr int kDriverOpcode = 8;
thread_local bool t_held = false;
}  // namespace

void hddec_log_hold(bool held) { t_held = held; }

void hddec_log(const char* fmt, ...) {
    if (t_held) return;
    char text[kSlogMaxText + 1];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    // A message that brings its own line end gets no second one, nor one inside its record.
    size_t len = std::strlen(text);
    if (len > 0 && text[len - 1] == '\n') text[len - 1] = '\0';
    slogf(kDriverOpcode, _SLOG_DEBUG1, "hd-dec:%s", text);
    std::fprintf(stderr, "hd-dec:%s\n", text);
}
