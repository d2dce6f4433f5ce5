#include "sysetpagelog.h"

#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "hu/slog.h"
#include "qf/QFAssert.h"

namespace {

constexpr const char* kVersion = "1.3,D=0";

const char* label(DorerPageLogLevel level) {
    switch (level) {
        case DORER_PAGE_LOG_ERROR: return "ERROR";
        case DORER_PAGE_LOG_WARNING: return "WARNING";
        case DORER_PAGE_LOG_INFO: break;
    }
    return "INFO";
}

// The dumps are INFO lines but go out as warnings, so they survive the usual log filters.
int severity(DorerPageLogLevel level) { return level == DORER_PAGE_LOG_ERROR ? _SLOG_ERROR : _SLOG_WARNING; }

// The kernel's thread id: what the target's pthread_self() returns (a small number), where
// glibc's is an address.
int threadId() { return static_cast<int>(gettid()); }

}  // namespace

void DorerPageLog_write(DorerPageLogLevel level, const char* function, const char* fmt, ...) {
    int saved_errno = errno;
    char text[kSlogMaxText + 1];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    slogf(kDorerPageLogOpcode, severity(level), "[DorerPage V=%s,PID=%i,TID=%i,F=%s()] %s: %s", kVersion,
          static_cast<int>(getpid()), threadId(), function, label(level), text);
    errno = saved_errno;
}

void DorerPageLog_fatal(int line, const char* source, const char* function, const char* message) {
    DorerPageLog_write(DORER_PAGE_LOG_ERROR, function, "%s", message);
    doFatalError(line, source, *message != '\0' ? message : " ");
}
