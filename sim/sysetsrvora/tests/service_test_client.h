// A bare importer of one service role for the protocol tests: the middleware's framing,
// headers and the interfaces' payload functions, without proxies, so that a test sees exactly
// which events the server sends and in which order.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "piq/CQFServiceEvent.h"
#include "piq/QFPIQFrame.h"
#include "piq/QFStreams.h"

namespace hu::sysetsrv::testing {

struct ServiceEvent {
    SQFServiceEventHeader header;
    CQFBuffer bytes;  // header and payload

    // The payload read by the interface's readResponsePayload into a P for the event's id.
    template <class P>
    P payload(void (*read)(IQFIStream&, P&)) const {
        CQFPIQIStream in(bytes);
        SQFServiceEventHeader skipped;
        skipped.read(in);
        P value;
        value.mUpdateId = header.mId;
        read(in, value);
        return value;
    }
};

class ServiceTestClient {
public:
    // Connects to the role's endpoint under HU_ROOT, waiting for it to appear.
    explicit ServiceTestClient(const std::string& role);
    ~ServiceTestClient();
    ServiceTestClient(const ServiceTestClient&) = delete;
    ServiceTestClient& operator=(const ServiceTestClient&) = delete;

    bool isConnected() const { return fd_ >= 0; }
    // Imports "<role>.<interface>" under the address the client's events carry; true when
    // accepted (the implementation-version update that follows is consumed).
    bool importService(const std::string& serviceName, uint16_t major, uint16_t minor, uint16_t address);
    // Sends a request (or a generic request) and returns its sequence number.
    uint32_t send(uint16_t address, uint32_t id, const std::function<void(IQFOStream&)>& payload = nullptr);
    // Asks for the attribute's notifications; the current value follows at once.
    uint32_t subscribe(uint16_t address, uint32_t attributeId) { return send(address, attributeId); }

    // The next event of the import with that id (others stay queued); false when none came
    // within the wait or the connection ended.
    bool waitFor(uint16_t address, uint32_t id, ServiceEvent& event,
                 std::chrono::milliseconds wait = std::chrono::seconds(10));
    // Whether the server closed the connection within the wait.
    bool waitForClose(std::chrono::milliseconds wait = std::chrono::seconds(10));

private:
    bool readFrame(uint32_t& kind, CQFBuffer& body, std::chrono::milliseconds wait);

    int fd_ = -1;
    uint32_t nextSequence_ = 1;
    CQFPIQFrameReader reader_;
    std::deque<ServiceEvent> queued_;
};

}  // namespace hu::sysetsrv::testing
