#include "hu/slog.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

// getpid() is a system call each time; the process id changes only across fork().
std::atomic<pid_t> g_pid{0};

void reinitInChild() {
    pthread_mutex_init(&g_lock, nullptr);
    g_pid = 0;
}

pid_t currentPid() {
    pid_t pid = g_pid.load(std::memory_order_relaxed);
    if (pid == 0) g_pid.store(pid = getpid(), std::memory_order_relaxed);
    return pid;
}
void initOnce() { pthread_atfork(nullptr, nullptr, reinitInChild); }

// A logger that is alive but does not read (stopped, overloaded) must not stop its senders:
// a sender waits this long for room in its queue, then writes to the fallback file, and does
// not wait again until the logger has taken a record.
constexpr int kLoggerWaitMs = 500;
bool g_logger_stalled = false;  // under g_lock

// The connection to the logger stays open between records (under g_lock), so a record costs
// one send. It belongs to the logger path of the HU_ROOT it was made for.
int g_logger = -1;
bool g_root_set = false;
std::string g_root;  // HU_ROOT when g_path was resolved
std::string g_path;

// Connected, so that poll() tells when the logger's queue has room.
int connectToLogger(const std::string& path) { return hu::unix_socket::connectTo(path, SOCK_DGRAM); }

void closeLogger() {
    if (g_logger >= 0) close(g_logger);
    g_logger = -1;
}

// A new HU_ROOT means another logger.
void followRoot() {
    const char* root = std::getenv("HU_ROOT");
    if ((root != nullptr) == g_root_set && (root == nullptr || g_root == root) && !g_path.empty()) return;
    g_root_set = root != nullptr;
    g_root = root != nullptr ? root : "";
    g_path = hu::resolve("/dev/slog");
    closeLogger();
}

ssize_t sendRecord(int fd, const char* datagram, size_t size) {
    for (;;) {
        ssize_t sent = send(fd, datagram, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent >= 0) return sent;
        if (errno == EINTR) continue;
        if (errno != EAGAIN || g_logger_stalled) return -1;
        pollfd ready{fd, POLLOUT, 0};
        int n = poll(&ready, 1, kLoggerWaitMs);
        if (n == 0) g_logger_stalled = true;
        if (n == 0 || (n < 0 && errno != EINTR)) return -1;
    }
}

bool sendToLogger(const char* datagram, size_t size) {
    followRoot();
    // A logger that went away (or was replaced) refuses the kept connection: connect again once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (g_logger < 0 && (g_logger = connectToLogger(g_path)) < 0) return false;
        ssize_t sent = sendRecord(g_logger, datagram, size);
        if (sent == static_cast<ssize_t>(size)) {
            g_logger_stalled = false;
            return true;
        }
        if (sent >= 0 || errno == EAGAIN) return false;
        closeLogger();
    }
    return false;
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
    constexpr size_t kHeader = hu::slog::kWireHeaderSize;
    char datagram[kHeader + kSlogMaxText + 1];
    char* text = datagram + kHeader;
    int length = std::vsnprintf(text, kSlogMaxText + 1, fmt, args);
    if (length < 0) return -1;
    if (length > kSlogMaxText) length = kSlogMaxText;

    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const int64_t time_ns = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    pthread_once(&g_once, initOnce);
    const int32_t pid = currentPid();
    hu::slog::encodeHeader(time_ns, pid, opcode, severity, datagram);
    const size_t size = kHeader + static_cast<size_t>(length) + 1;

    pthread_mutex_lock(&g_lock);
    bool delivered = sendToLogger(datagram, size) ||
                     appendToFallback({time_ns, pid, opcode, severity, std::string(text, static_cast<size_t>(length))});
    int saved = errno;
    pthread_mutex_unlock(&g_lock);
    if (!delivered) {
        errno = saved;
        return -1;
    }
    return static_cast<int>(size);
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
