#include "hu/trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <algorithm>
#include <cstdio>

#include "hu/path.h"

int trace_logf(int code, const char* fmt, ...) {
    char text[512];
    int prefix = std::snprintf(text, sizeof text, "%d ", code);
    va_list args;
    va_start(args, fmt);
    int length = std::vsnprintf(text + prefix, sizeof text - prefix - 1, fmt, args);
    va_end(args);
    if (length < 0) return -1;
    int total = std::min<int>(prefix + length, sizeof text - 2);
    text[total] = '\n';

    int saved = errno;
    int fd = open(hu::resolveForCreate("/var/log/trace").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    ssize_t written;
    do {
        written = write(fd, text, static_cast<size_t>(total) + 1);
    } while (written < 0 && errno == EINTR);
    close(fd);
    if (written < 0) return -1;
    errno = saved;
    return total - prefix;
}
