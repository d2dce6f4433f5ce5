// Process-wide tables behind the kernel-call substitutes: channels (for pulses) and the
// client connections of resource managers (for replies and notifications from any thread).
#pragma once

#include <sys/uio.h>

#include <cstddef>
#include <cstdint>

namespace hu::registry {

// A pulse on the wire of a channel.
struct Pulse {
    int32_t code;
    int32_t value;
};

// Channels: returns the id, or -1 with errno.
int createChannel();
bool destroyChannel(int chid);
// Receiving end of the channel (for poll), or -1.
int channelReceiveFd(int chid);
// A new sending end (a connection id), or -1 with errno.
int connectChannel(int chid);

// Client connections of resource managers: a rcvid for a socket.
int addConnection(int fd);
void removeConnection(int rcvid);
// Sends header + parts as one message to the client behind rcvid; false with errno
// (ESRCH: the client is gone).
bool sendToConnection(int rcvid, const void* header, size_t header_size, const struct iovec* parts, int nparts);

}  // namespace hu::registry
