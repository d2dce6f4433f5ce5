#include "hu/unix_socket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace hu::unix_socket {
namespace {
// Closes fd keeping the errno of the call that failed.
int closeFailed(int fd) {
    int saved = errno;
    close(fd);
    errno = saved;
    return -1;
}
}  // namespace

bool address(const std::string& host_path, sockaddr_un* addr) {
    *addr = {};
    addr->sun_family = AF_UNIX;
    if (host_path.size() >= sizeof addr->sun_path) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(addr->sun_path, host_path.c_str(), host_path.size() + 1);
    return true;
}

int bindAt(const std::string& host_path, int type, int backlog) {
    sockaddr_un addr;
    if (!address(host_path, &addr)) return -1;
    int fd = socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    unlink(host_path.c_str());
    if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) return closeFailed(fd);
    if (type != SOCK_DGRAM && listen(fd, backlog) != 0) return closeFailed(fd);
    return fd;
}

int connectTo(const std::string& host_path, int type) {
    sockaddr_un addr;
    if (!address(host_path, &addr)) return -1;
    int fd = socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int result;
    do {
        result = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? fd : closeFailed(fd);
}

}  // namespace hu::unix_socket
