// The system logger daemon: binds "/dev/slog" and writes every record it receives as one
// line to a log file (default "$HU_ROOT/var/log/slog") or to standard output ("-o -").
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "hu/path.h"
#include "hu/slog_record.h"
#include "hu/unix_socket.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

int usage() {
    std::fprintf(stderr, "usage: slogger [-o <log file>|-]\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out_path = hu::resolveForCreate("/var/log/slog");
    int opt;
    while ((opt = getopt(argc, argv, "o:")) != -1) {
        if (opt != 'o') return usage();
        out_path = optarg;
    }

    FILE* out = out_path == "-" ? stdout : std::fopen(out_path.c_str(), "a");
    if (out == nullptr) {
        std::fprintf(stderr, "slogger: cannot open %s: %s\n", out_path.c_str(), std::strerror(errno));
        return 1;
    }

    std::string device = hu::resolveForCreate("/dev/slog");
    int fd = hu::unix_socket::bindAt(device, SOCK_DGRAM);
    if (fd < 0) {
        std::fprintf(stderr, "slogger: cannot bind %s: %s\n", device.c_str(), std::strerror(errno));
        return 1;
    }
    int size = 4 * 1024 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    std::vector<char> datagram(64 * 1024);
    while (!g_stop) {
        ssize_t n = recv(fd, datagram.data(), datagram.size(), 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "slogger: receive failed: %s\n", std::strerror(errno));
            break;
        }
        auto record = hu::slog::decode(datagram.data(), static_cast<size_t>(n));
        if (!record) continue;  // not a record: ignored, the logger keeps going
        std::fprintf(out, "%s\n", hu::slog::formatLine(*record).c_str());
        std::fflush(out);
    }
    close(fd);
    unlink(device.c_str());
    return 0;
}
