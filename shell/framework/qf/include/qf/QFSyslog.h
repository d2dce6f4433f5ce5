// The framework's system log: one call gives one record on the platform's system logger
// (slogf), with the opcode and severity passed through unchanged. Severities the shell uses:
// 1 error, 2, 4 warning, 5 information.
#pragma once

#include <cstdarg>

namespace QFSyslog {
void logMsg(int opcode, int severity, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
void vlogMsg(int opcode, int severity, const char* fmt, va_list args) __attribute__((format(printf, 3, 0)));
}  // namespace QFSyslog
