#include "piq/QFPIQFrame.h"

#include <errno.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <cstring>

#include "hu/path.h"

namespace QFPIQFrame {

std::string endpointPath(const std::string& role) { return hu::resolveForCreate("/var/run/piq/" + role); }

bool write(int fd, uint32_t kind, const CQFBuffer& body) {
    if (body.getSize() + sizeof(uint32_t) > kQFPIQMaxFrame) return false;
    // Length and kind, then the body, in one send without copying the body.
    uint8_t head[8];
    const uint32_t length = static_cast<uint32_t>(body.getSize() + sizeof kind);
    std::memcpy(head, &length, 4);
    std::memcpy(head + 4, &kind, 4);
    iovec parts[2] = {{head, sizeof head}, {const_cast<uint8_t*>(body.getData()), body.getSize()}};
    msghdr message = {};
    message.msg_iov = parts;
    message.msg_iovlen = body.getSize() ? 2 : 1;
    while (message.msg_iovlen > 0) {
        const ssize_t n = ::sendmsg(fd, &message, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        // After a short write, go on from the first byte not sent.
        size_t done = static_cast<size_t>(n);
        while (message.msg_iovlen > 0 && done >= message.msg_iov->iov_len) {
            done -= message.msg_iov->iov_len;
            ++message.msg_iov;
            --message.msg_iovlen;
        }
        if (message.msg_iovlen > 0) {
            message.msg_iov->iov_base = static_cast<uint8_t*>(message.msg_iov->iov_base) + done;
            message.msg_iov->iov_len -= done;
        }
    }
    return true;
}

}  // namespace QFPIQFrame

CQFPIQFrameReader::EResult CQFPIQFrameReader::next(uint32_t& kind, CQFBuffer& body) {
    if (mBytes.size() < 4) return eNeedMore;
    uint32_t length = 0;
    std::memcpy(&length, mBytes.data(), 4);
    if (length < 4 || length > kQFPIQMaxFrame) return eBadFrame;
    if (mBytes.size() < 4 + static_cast<size_t>(length)) return eNeedMore;
    std::memcpy(&kind, mBytes.data() + 4, 4);
    body = CQFBuffer(mBytes.data() + 8, length - 4);
    mBytes.erase(0, 4 + static_cast<size_t>(length));
    return eFrame;
}
