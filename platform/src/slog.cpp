#include "hu/slog.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "hu/path.h"
#include "hu/slog_record.h"
#include "hu/unix_socket.h"

namespace {

// One lock for every sender in the process; re-initialised in a forked child, whose copy
// may have been held by a thread that does not exist there.
pthread_once_t g_once = PTHREAD_ONCE_INIT;
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

void reinitInChild() { pthread_mutex_init(&g_lock, nullptr); }
void initOnce() { pthread_atfork(nullptr, nullptr, reinitInChild); }

// A logger that is alive but does not read (stopped, overloaded) must not stop its senders:
// a sender waits this long for room in its queue, then writes to the fallback file, and does
// not wait again until the logger has taken a record.
constexpr int kLoggerWaitMs = 500;
bool g_logger_stalled = false;  // under g_lock

bool sendToLogger(const std::vector<char>& datagram) {
    // Connected, so that poll() tells when the logger's queue has room.
    int fd = hu::unix_socket::connectTo(hu::resolve("/dev/slog"), SOCK_DGRAM);
    if (fd < 0) return false;
    ssize_t sent = -1;
    for (;;) {
        sent = send(fd, datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent >= 0) break;
        if (errno == EINTR) continue;
        if (errno != EAGAIN || g_logger_stalled) break;
        pollfd ready{fd, POLLOUT, 0};
        int n = poll(&ready, 1, kLoggerWaitMs);
        if (n == 0) g_logger_stalled = true;
        if (n == 0 || (n < 0 && errno != EINTR)) break;
    }
    close(fd);
    bool delivered = sent == static_cast<ssize_t>(datagram.size());
    if (delivered) g_logger_stalled = false;
    return delivered;
}

bool appendToFallback(const hu::slog::Record& record) {
    std::string line = hu::slog::formatLine(record) + "\n";
    const int flags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC;
    // The directories are made only when missing: a process without its logger logs every line here.
    int fd = open(hu::resolve("/var/log/slog.fallback").c_str(), flags, 0644);
    if (fd < 0 && errno == ENOENT) fd = open(hu::resolveForCreate("/var/log/slog.fallback").c_str(), flags, 0644);
    if (fd < 0) return false;
    ssize_t written;
    do {
        written = write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    close(fd);
    return written == static_cast<ssize_t>(line.size());
}

}  // namespace

namespace hu::slog {
std::string fallbackPath() { return hu::resolve("/var/log/slog.fallback"); }
}  // namespace hu::slog

int vslogf(int opcode, int severity, const char* fmt, va_list args) {
    char text[kSlogMaxText + 1];
    int length = std::vsnprintf(text, sizeof text, fmt, args);
    if (length < 0) return -1;
    if (length > kSlogMaxText) length = kSlogMaxText;

    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    hu::slog::Record record{static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec, getpid(), opcode, severity,
                            std::string(text, static_cast<size_t>(length))};
    std::vector<char> datagram = hu::slog::encode(record);

    pthread_once(&g_once, initOnce);
    pthread_mutex_lock(&g_lock);
    bool delivered = sendToLogger(datagram) || appendToFallback(record);
    int saved = errno;
    pthread_mutex_unlock(&g_lock);
    if (!delivered) {
        errno = saved;
        return -1;
    }
    return static_cast<int>(datagram.size());
}

int slogf(int opcode, int severity, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int saved_errno = errno;
    int result = vslogf(opcode, severity, fmt, args);
    if (result >= 0) errno = saved_errno;
    va_end(args);
    return result;
}
