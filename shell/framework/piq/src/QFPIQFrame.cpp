#include "piq/QFPIQFrame.h"

#include <errno.h>
#include <sys/socket.h>

#include <cstring>

#include "hu/path.h"

namespace QFPIQFrame {

std::string endpointPath(const std::string& role) { return hu::resolveForCreate("/var/run/piq/" + role); }

bool write(int fd, uint32_t kind, const CQFBuffer& body) {
    if (body.getSize() + sizeof(uint32_t) > kQFPIQMaxFrame) return false;
    std::string frame(8 + body.getSize(), '\0');
    const uint32_t length = static_cast<uint32_t>(body.getSize() + sizeof kind);
    std::memcpy(&frame[0], &length, 4);
    std::memcpy(&frame[4], &kind, 4);
    if (body.getSize()) std::memcpy(&frame[8], body.getData(), body.getSize());
    size_t done = 0;
    while (done < frame.size()) {
        const ssize_t n = ::send(fd, frame.data() + done, frame.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
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
