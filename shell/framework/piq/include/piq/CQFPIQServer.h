// The server side of the middleware: provides interfaces under one service role. Clients
// connect to the role's endpoint, import interfaces by service name and version, send
// requests and receive responses and attribute notifications.
//
//   CQFPIQServer server("DorerSrv");
//   server.provide({"DSYSOnOff", 1, 1, {1, 0, 0}, [&](const SQFPIQRequest& request, IQFIStream& payload) {
//       ... read the request's parameters from payload ...
//       server.respond(request, 0x80000000, QFServices::eResultType_Ok,
//                      [&](IQFOStream& out) { ... write the response's parameters ... });
//   }});
//   server.start();
//   server.publish("DSYSOnOff", 0xC0000001, [&](IQFOStream& out) { out.write(CQFString("ReadOnly")); });
//
// Imports: accepted when the interface is provided, the majors are equal and the server's
// minor is at least the importer's; an accepted import is followed by the implementation
// version (update 0xFFFFFFFE). The generic requests are served here: asking for an
// attribute's notifications answers at once with its value (514) or, before the first
// publish, 515 without payload; clearing ends all notifications of the import.
//
// Request handlers run on the server's thread "PIQServer"; respond, publish and invalidate
// may be called from any thread, also later (a response to a client that has gone is
// dropped). A peer that sends a malformed frame is disconnected; a request whose payload
// cannot be read is for the handler to judge (the stream is then in its error state).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "piq/CQFServiceEvent.h"
#include "qf/CQFThread.h"

struct SQFPIQRequest {
    uint64_t mConnection = 0;  // the client connection it came on
    SQFServiceAddress mAddress;
    CQFString mInterfaceName;
    uint32_t mRequestId = 0;
    uint32_t mSequenceNumber = 0;
};

using FQFPIQPayloadWriter = std::function<void(IQFOStream& out)>;
using FQFPIQRequestHandler = std::function<void(const SQFPIQRequest& request, IQFIStream& payload)>;

struct SQFPIQInterface {
    CQFString mName;  // "DSYSOnOff"
    uint16_t mVersionMajor = 0;
    uint16_t mVersionMinor = 0;
    SQFImplementationVersion mImplementationVersion;
    FQFPIQRequestHandler mOnRequest;
};

class CQFPIQServer {
public:
    explicit CQFPIQServer(const CQFString& roleName);
    ~CQFPIQServer();  // stop()
    CQFPIQServer(const CQFPIQServer&) = delete;
    CQFPIQServer& operator=(const CQFPIQServer&) = delete;

    // Before start().
    void provide(const SQFPIQInterface& interface);
    // Binds the role's endpoint (replacing a stale socket file) and starts serving; false
    // when the endpoint cannot be bound.
    bool start();
    // Disconnects every client and removes the endpoint: the clients see the service go. A
    // stopped server may start again (its attribute values are kept).
    void stop();

    // Answers a request: the header carries the request's address and sequence number, the
    // given update id and result type; the payload follows when writer is set.
    void respond(const SQFPIQRequest& request, uint32_t updateId, uint32_t resultType,
                 const FQFPIQPayloadWriter& writer = FQFPIQPayloadWriter());
    // Sets an attribute's value and notifies every import that asked for it (514).
    void publish(const CQFString& interfaceName, uint32_t updateId, const FQFPIQPayloadWriter& writer);
    // Forgets an attribute's value and notifies the subscribers with 515.
    void invalidate(const CQFString& interfaceName, uint32_t updateId);

    size_t getConnectionCount() const;

private:
    struct SImport;
    struct SConnection;
    void serve();
    void accept();
    bool receive(SConnection& connection);
    bool handleFrame(SConnection& connection, uint32_t kind, const CQFBuffer& body);
    bool handleImport(SConnection& connection, const CQFBuffer& body);
    void handleEvent(SConnection& connection, const CQFBuffer& body);
    void sendAttribute(SConnection& connection, const SImport& import, uint32_t updateId, uint32_t sequenceNumber);
    void sendEvent(SConnection& connection, const SQFServiceEventHeader& header, const CQFBuffer& payload);
    void wake();

    CQFString mRoleName;
    std::string mPath;
    std::vector<SQFPIQInterface> mInterfaces;
    mutable std::recursive_mutex mMutex;
    std::map<uint64_t, std::unique_ptr<SConnection>> mConnections;
    std::map<std::pair<std::string, uint32_t>, CQFBuffer> mAttributes;  // encoded payloads
    uint64_t mNextConnection = 1;
    int mListenFd = -1;
    int mWakePipe[2] = {-1, -1};
    bool mStopping = false;
    std::unique_ptr<CQFThread> mThread;
};
