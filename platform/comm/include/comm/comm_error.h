// The communication library's printf-style error report: one line on standard error, and
// the same line in the journal "/var/log/comm.journal" under HU_ROOT.
#pragma once

namespace communication {
void reportError(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
}  // namespace communication

#define COMM_ERROR(...) ::communication::reportError(__VA_ARGS__)
