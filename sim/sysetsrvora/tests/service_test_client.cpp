#include "service_test_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "hu_testing.h"
#include "hu/unix_socket.h"
#include "piq/QFPIQFrame.h"

namespace hu::sysetsrv::testing {

ServiceTestClient::ServiceTestClient(const std::string& role) {
    const std::string path = QFPIQFrame::endpointPath(role);
    hu::testing::waitUntil([&] { return (fd_ = hu::unix_socket::connectTo(path, SOCK_STREAM)) >= 0; });
}

ServiceTestClient::~ServiceTestClient() {
    if (fd_ >= 0) close(fd_);
}

bool ServiceTestClient::readFrame(uint32_t& kind, CQFBuffer& body, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        CQFPIQFrameReader::EResult result = reader_.next(kind, body);
        if (result == CQFPIQFrameReader::eFrame) return true;
        if (result == CQFPIQFrameReader::eBadFrame || fd_ < 0) return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready = {fd_, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
        uint8_t bytes[16384];
        ssize_t n = read(fd_, bytes, sizeof bytes);
        if (n <= 0) {
            close(fd_);
            fd_ = -1;
            return false;
        }
        reader_.append(bytes, static_cast<size_t>(n));
    }
}

bool ServiceTestClient::importService(const std::string& serviceName, uint16_t major, uint16_t minor,
                                      uint16_t address) {
    CQFPIQOStream out;
    out.write(CQFString(serviceName.c_str()));
    out.write(major);
    out.write(minor);
    out.write(address);
    out.write(static_cast<uint16_t>(0));
    if (fd_ < 0 || !QFPIQFrame::write(fd_, eQFPIQFrame_Import, out.getBytes())) return false;
    uint32_t kind = 0;
    CQFBuffer body;
    if (!readFrame(kind, body, std::chrono::seconds(10)) || kind != eQFPIQFrame_ImportAnswer) return false;
    CQFPIQIStream in(body);
    uint16_t first = 0, second = 0;
    bool accepted = false;
    in.read(first);
    in.read(second);
    in.read(accepted);
    ServiceEvent version;
    return accepted && waitFor(address, kQFUpdateIdImplementationVersion, version);
}

uint32_t ServiceTestClient::send(uint16_t address, uint32_t id, const std::function<void(IQFOStream&)>& payload) {
    SQFServiceEventHeader header;
    header.mAddress.mFirst = address;
    header.mId = id;
    header.mSequenceNumber = nextSequence_++;
    CQFPIQOStream out;
    header.write(out);
    if (payload) payload(out);
    if (fd_ >= 0) QFPIQFrame::write(fd_, eQFPIQFrame_Event, out.getBytes());
    return header.mSequenceNumber;
}

bool ServiceTestClient::waitFor(uint16_t address, uint32_t id, ServiceEvent& event, std::chrono::milliseconds wait) {
    auto matches = [&](const ServiceEvent& e) { return e.header.mAddress.mFirst == address && e.header.mId == id; };
    for (auto queued = queued_.begin(); queued != queued_.end(); ++queued) {
        if (matches(*queued)) {
            event = *queued;
            queued_.erase(queued);
            return true;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        uint32_t kind = 0;
        CQFBuffer body;
        if (left.count() <= 0 || !readFrame(kind, body, left)) return false;
        if (kind != eQFPIQFrame_Event) continue;
        ServiceEvent received;
        received.bytes = body;
        CQFPIQIStream in(body);
        received.header.read(in);
        if (matches(received)) {
            event = received;
            return true;
        }
        queued_.push_back(received);
    }
}

bool ServiceTestClient::waitForClose(std::chrono::milliseconds wait) {
    uint32_t kind = 0;
    CQFBuffer body;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (fd_ >= 0 && std::chrono::steady_clock::now() < deadline) {
        readFrame(kind, body, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()));
    }
    return fd_ < 0;
}

}  // namespace hu::sysetsrv::testing
