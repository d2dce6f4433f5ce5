// The framing of the middleware's Unix-domain stream sockets, shared by the importing side
// and the server library. A frame is a uint32 length (of what follows it), a uint32 kind
// and the body. Lengths from the peer are checked: a frame that is shorter than its kind or
// longer than kQFPIQMaxFrame ends the connection.
//
// Bodies (PIQ stream encoding, aligned from the body's first byte):
//   import          string service name ("DorerSrv.DSYSOnOff"), uint16 major, uint16 minor,
//                   service address (two uint16) the importer uses in its headers
//   import answer   service address, boolean accepted, uint16 major, uint16 minor (the server's)
//   event           one service event: header and payload
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "qf/CQFBuffer.h"

enum EQFPIQFrameKind : uint32_t {
    eQFPIQFrame_Import = 1,
    eQFPIQFrame_ImportAnswer = 2,
    eQFPIQFrame_Event = 3,
};

constexpr size_t kQFPIQMaxFrame = 4u << 20;

namespace QFPIQFrame {
// The socket path of a service role: "/var/run/piq/<role>" under HU_ROOT.
std::string endpointPath(const std::string& role);
// Writes the whole frame (repeating after interruptions and short writes); false when the
// connection failed or the body is too long.
bool write(int fd, uint32_t kind, const CQFBuffer& body);
}  // namespace QFPIQFrame

// Collects bytes of one connection and hands out complete frames.
class CQFPIQFrameReader {
public:
    enum EResult { eFrame, eNeedMore, eBadFrame };
    void append(const uint8_t* data, size_t count) { mBytes.append(reinterpret_cast<const char*>(data), count); }
    // The next complete frame, if any; eBadFrame when a length cannot be right.
    EResult next(uint32_t& kind, CQFBuffer& body);
    void clear() { mBytes.clear(); }

private:
    std::string mBytes;
};
