// Kernel trace events of the target: a user event with a code and a formatted text.
// On the host each event is one line "<code> <text>" appended to "/var/log/trace".
#pragma once

// Bytes of text logged, or -1 with errno set.
int trace_logf(int code, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
