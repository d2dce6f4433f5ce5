// Unix-domain sockets at host paths: the one place that fills an address, binds, listens and
// connects, for every transport of the platform layer (resource managers, interrupt lines, the
// system log) and the framework's middleware.
#pragma once

#include <sys/un.h>

#include <string>

namespace hu::unix_socket {

// The address of host_path; false (errno ENAMETOOLONG) when the path does not fit.
bool address(const std::string& host_path, sockaddr_un* addr);

// A socket of the given type (SOCK_SEQPACKET, SOCK_STREAM, SOCK_DGRAM) bound at host_path, in
// place of whatever file was there; listening with backlog unless it is a datagram socket.
// -1 with errno.
int bindAt(const std::string& host_path, int type, int backlog = 0);

// A socket of the given type connected to host_path (the connect repeated on EINTR); -1 with errno.
int connectTo(const std::string& host_path, int type);

}  // namespace hu::unix_socket
