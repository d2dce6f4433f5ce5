#include "registry.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <vector>

namespace hu::registry {
namespace {

struct ChannelEnds {
    int rx;
    int tx;
};

std::mutex g_mutex;
std::map<int, ChannelEnds> g_channels;
std::map<int, int> g_connections;  // rcvid -> socket
int g_next_chid = 1;
int g_next_rcvid = 1;

}  // namespace

int createChannel() {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return -1;
    std::lock_guard<std::mutex> lock(g_mutex);
    int chid = g_next_chid++;
    g_channels[chid] = {ends[0], ends[1]};
    return chid;
}

bool destroyChannel(int chid) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_channels.find(chid);
    if (it == g_channels.end()) {
        errno = EINVAL;
        return false;
    }
    close(it->second.rx);
    close(it->second.tx);
    g_channels.erase(it);
    return true;
}

int channelReceiveFd(int chid) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_channels.find(chid);
    return it == g_channels.end() ? -1 : it->second.rx;
}

int connectChannel(int chid) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_channels.find(chid);
    if (it == g_channels.end()) {
        errno = ESRCH;
        return -1;
    }
    return fcntl(it->second.tx, F_DUPFD_CLOEXEC, 0);
}

int addConnection(int fd) {
    std::lock_guard<std::mutex> lock(g_mutex);
    int rcvid = g_next_rcvid++;
    g_connections[rcvid] = fd;
    return rcvid;
}

void removeConnection(int rcvid) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_connections.erase(rcvid);
}

bool sendToConnection(int rcvid, const void* header, size_t header_size, const struct iovec* parts, int nparts) {
    std::vector<iovec> iov;
    iov.push_back({const_cast<void*>(header), header_size});
    for (int i = 0; i < nparts; ++i) iov.push_back(parts[i]);
    msghdr msg{};
    msg.msg_iov = iov.data();
    msg.msg_iovlen = iov.size();

    // Held while sending so the socket cannot be closed and reused under us.
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_connections.find(rcvid);
    if (it == g_connections.end()) {
        errno = ESRCH;
        return false;
    }
    ssize_t sent;
    do {
        sent = sendmsg(it->second, &msg, MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (sent < 0 && errno == EINTR);
    return sent >= 0;
}

}  // namespace hu::registry
