// System logger calls of the target C library: one call delivers one record
// (opcode, severity, text) to the logger device "/dev/slog".
#pragma once

#include <cstdarg>
#include <string>

#define _SLOG_SHUTDOWN 0
#define _SLOG_CRITICAL 1
#define _SLOG_ERROR 2
#define _SLOG_WARNING 3
#define _SLOG_NOTICE 4
#define _SLOG_INFO 5
#define _SLOG_DEBUG1 6
#define _SLOG_DEBUG2 7

// Major and minor code in one opcode.
#define _SLOG_SETCODE(major, minor) (((major) << 8) | (minor))

// Longest text of one record; longer texts are cut.
constexpr int kSlogMaxText = 1015;

// Bytes handed to the logger, or -1 with errno set.
int slogf(int opcode, int severity, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
int vslogf(int opcode, int severity, const char* fmt, va_list args) __attribute__((format(printf, 3, 0)));

namespace hu::slog {

// Where a record goes when no logger listens on "/dev/slog": nothing is lost.
std::string fallbackPath();

}  // namespace hu::slog
