// Client side of the resource-manager transport: one request, one reply, per descriptor.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "hu/devctl.h"
#include "hu/flash.h"
#include "hu/path.h"
#include "hu/unix_socket.h"

namespace {

// Room for large writes: one message must fit the socket's send buffer whole.
constexpr int kSendBuffer = 4 * 1024 * 1024;

struct Descriptor {
    std::mutex mutex;  // one request in flight per descriptor
    int pending_notify = 0;
};

std::mutex g_table_mutex;
std::map<int, std::shared_ptr<Descriptor>> g_table;

std::shared_ptr<Descriptor> lookup(int fd) {
    std::lock_guard<std::mutex> lock(g_table_mutex);
    auto it = g_table.find(fd);
    return it == g_table.end() ? nullptr : it->second;
}

// A reply is cut to what its caller can take, as a reply larger than the client's receive
// buffer is on the target; so one receive, of a known size, takes it.
struct Reply {
    explicit Reply(size_t capacity_ = 0) : capacity(capacity_) {}
    size_t capacity;  // the most data bytes after the header the caller takes
    hu::wire::ReplyHeader header{};
    std::vector<char> data;
};

// Receives the next message; notifications are kept for later. false with errno.
bool receive(int fd, Descriptor& d, Reply* reply, bool stop_at_notify) {
    std::vector<char> buffer(sizeof reply->header + reply->capacity);
    for (;;) {
        ssize_t length;
        do {
            length = recv(fd, buffer.data(), buffer.size(), MSG_TRUNC);
        } while (length < 0 && errno == EINTR);
        if (length == 0) {
            errno = EPIPE;  // the server went away
            return false;
        }
        if (length < 0) return false;
        if (length < static_cast<ssize_t>(sizeof(hu::wire::ReplyHeader))) {
            errno = EBADMSG;
            return false;
        }
        memcpy(&reply->header, buffer.data(), sizeof reply->header);
        if (reply->header.kind == hu::wire::Kind::Notify) {
            d.pending_notify |= reply->header.status;
            if (stop_at_notify) return true;
            continue;
        }
        // MSG_TRUNC: the length is the whole message's, also when it was cut to the buffer.
        const size_t received = std::min(static_cast<size_t>(length), buffer.size());
        reply->data.assign(buffer.begin() + sizeof reply->header, buffer.begin() + received);
        return true;
    }
}

// Sends one message (header and body) and waits for its reply. -1 with errno, else the
// reply's status; an error reply sets errno and returns -1.
long transact(int fd, const void* header, size_t header_size, const void* body, size_t body_size, Reply* reply) {
    std::shared_ptr<Descriptor> d = lookup(fd);
    if (!d) {
        errno = EBADF;
        return -1;
    }
    std::lock_guard<std::mutex> lock(d->mutex);
    iovec parts[2] = {{const_cast<void*>(header), header_size}, {const_cast<void*>(body), body_size}};
    msghdr msg{};
    msg.msg_iov = parts;
    msg.msg_iovlen = body_size > 0 ? 2 : 1;
    ssize_t sent;
    do {
        sent = sendmsg(fd, &msg, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0) return -1;
    if (!receive(fd, *d, reply, false)) return -1;
    if (reply->header.kind == hu::wire::Kind::Error) {
        if (reply->header.status == EOK) return 0;
        errno = reply->header.status;
        return -1;
    }
    return reply->header.status;
}

int openResourceManager(const std::string& host_path, int oflag) {
    int fd = hu::unix_socket::connectTo(host_path, SOCK_SEQPACKET);
    if (fd < 0) {
        if (errno != ENAMETOOLONG) errno = ENOENT;  // a path whose server is gone does not exist
        return -1;
    }
    int size = kSendBuffer;
    if (setsockopt(fd, SOL_SOCKET, SO_SNDBUFFORCE, &size, sizeof size) != 0) {
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    }
    {
        std::lock_guard<std::mutex> lock(g_table_mutex);
        g_table[fd] = std::make_shared<Descriptor>();
    }
    _io_connect request{_IO_CONNECT, 0, (oflag & ~O_ACCMODE) | ((oflag & O_ACCMODE) + 1), 0, 0};
    Reply reply;
    if (transact(fd, &request, sizeof request, nullptr, 0, &reply) < 0) {
        int saved = errno;
        hu_close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

}  // namespace

int hu_open(const char* target_path, int oflag) {
    std::string host = hu::resolve(target_path);
    struct stat st {};
    if (stat(host.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) return openResourceManager(host, oflag);
    return open(host.c_str(), oflag | O_CLOEXEC, 0666);
}

int hu_close(int fd) {
    {
        std::lock_guard<std::mutex> lock(g_table_mutex);
        g_table.erase(fd);
    }
    return close(fd);
}

ssize_t hu_write(int fd, const void* buf, size_t nbytes) {
    if (!lookup(fd)) return write(fd, buf, nbytes);
    if (nbytes > 0x7fffffff) {
        errno = EMSGSIZE;
        return -1;
    }
    _io_write header{_IO_WRITE, 0, static_cast<uint32_t>(nbytes), _IO_XTYPE_NONE, 0};
    Reply reply;
    return transact(fd, &header, sizeof header, buf, nbytes, &reply);
}

ssize_t hu_read(int fd, void* buf, size_t nbytes) {
    if (!lookup(fd)) return read(fd, buf, nbytes);
    _io_read header{_IO_READ, 0, static_cast<int32_t>(std::min<size_t>(nbytes, 0x7fffffff)), _IO_XTYPE_NONE, 0};
    Reply reply(nbytes);
    long status = transact(fd, &header, sizeof header, nullptr, 0, &reply);
    if (status < 0) return -1;
    size_t n = std::min(nbytes, reply.data.size());
    memcpy(buf, reply.data.data(), n);
    return static_cast<ssize_t>(n);
}

int devctl(int fd, int dcmd, void* data, size_t nbytes, int* dev_info_ptr) {
    if (!lookup(fd)) return hu::flash::fileDevctl(fd, dcmd, data, nbytes);
    if (nbytes > 0x7fffffff || (nbytes > 0 && data == nullptr)) return EINVAL;
    unsigned direction = get_device_direction(dcmd);
    _io_devctl header{_IO_DEVCTL, 0, dcmd, static_cast<int32_t>(nbytes), 0};
    Reply reply(sizeof(_io_devctl_reply) + ((direction & DEVDIR_FROM) ? nbytes : 0));
    if (transact(fd, &header, sizeof header, data, (direction & DEVDIR_TO) ? nbytes : 0, &reply) < 0) return errno;
    if (reply.data.size() >= sizeof(_io_devctl_reply)) {
        _io_devctl_reply out;
        memcpy(&out, reply.data.data(), sizeof out);
        if (dev_info_ptr != nullptr) *dev_info_ptr = out.ret_val;
        if (direction & DEVDIR_FROM) {
            size_t n = std::min(nbytes, reply.data.size() - sizeof out);
            memcpy(data, reply.data.data() + sizeof out, n);
        }
    } else if (dev_info_ptr != nullptr) {
        *dev_info_ptr = 0;
    }
    return EOK;
}

int ionotify(int fd, int action, int flags, const struct sigevent* /*event*/) {
    if (!lookup(fd)) {
        errno = ENOTSUP;
        return -1;
    }
    _io_notify header{_IO_NOTIFY, 0, action, flags, 0};
    Reply reply(sizeof(_io_notify_reply));
    if (transact(fd, &header, sizeof header, nullptr, 0, &reply) < 0) return -1;
    _io_notify_reply out{};
    if (reply.data.size() >= sizeof out) memcpy(&out, reply.data.data(), sizeof out);
    return static_cast<int>(out.flags);
}

int hu_notify_take(int fd, int timeout_ms) {
    std::shared_ptr<Descriptor> d = lookup(fd);
    if (!d) {
        errno = EBADF;
        return -1;
    }
    std::lock_guard<std::mutex> lock(d->mutex);
    if (d->pending_notify == 0) {
        pollfd p{fd, POLLIN, 0};
        int ready;
        do {
            ready = poll(&p, 1, timeout_ms);
        } while (ready < 0 && errno == EINTR);
        if (ready < 0) return -1;
        if (ready == 0) return 0;
        Reply reply;
        if (!receive(fd, *d, &reply, true)) return -1;
    }
    int conditions = d->pending_notify;
    d->pending_notify = 0;
    return conditions;
}
