// The shell's system-log convention: every line of the shell's own components begins with
// the program name (the first command-line argument) and " : ".
#pragma once

#include <cstdarg>

#include "qf/CQFString.h"

namespace NDorerShellLog {

// Set once at boot from the first command-line argument; "cfgshell" until then.
void setProgramName(const CQFString& name);
CQFString getProgramName();

// "<program> : <text>" with the given severity (1 error, 4 warning, 5 information).
void log(int severity, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void vlog(int severity, const char* fmt, va_list args) __attribute__((format(printf, 2, 0)));

}  // namespace NDorerShellLog
