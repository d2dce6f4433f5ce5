#include "qf/CQFFileHandle.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

int hostFlags(int flags) {
    int host = 0;
    switch (flags & 0x3) {
        case CQFFileHandle::eWriteOnly: host = O_WRONLY; break;
        case CQFFileHandle::eReadWrite: host = O_RDWR; break;
        default: host = O_RDONLY; break;
    }
    if (flags & CQFFileHandle::eAppend) host |= O_APPEND;
    if (flags & CQFFileHandle::eCreate) host |= O_CREAT;
    if (flags & CQFFileHandle::eTruncate) host |= O_TRUNC;
    if (flags & CQFFileHandle::eExclusive) host |= O_EXCL;
    return host | O_CLOEXEC;
}

}  // namespace

bool CQFFileHandle::open(const CQFPath& path, int flags) {
    close();
    if (!path.isValid()) return false;
    int fd;
    do {
        fd = ::open(path.getCString(), hostFlags(flags), 0666);
    } while (fd == -1 && errno == EINTR);
    mFd = fd;
    return fd != -1;
}

long CQFFileHandle::write(const void* data, size_t count, int /*timeoutMs*/) {
    if (mFd == -1) return -1;
    const char* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(mFd, bytes + written, count - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return written ? static_cast<long>(written) : -1;
        }
        if (n == 0) break;
        written += static_cast<size_t>(n);
    }
    return static_cast<long>(written);
}

bool CQFFileHandle::close() {
    if (mFd == -1) return false;
    const int fd = mFd;
    mFd = -1;
    // Linux closes the descriptor even when close() reports EINTR: never retry.
    return ::close(fd) == 0;
}
