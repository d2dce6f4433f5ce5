#include "piq/CQFPIQServer.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <set>

#include "hu/unix_socket.h"
#include "piq/QFPIQFrame.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_kestrel_piq_CQFPIQServer");

using AddressKey = std::pair<uint16_t, uint16_t>;
AddressKey keyOf(const SQFServiceAddress& a) { return {a.mFirst, a.mSecond}; }

// A payload encoded as it follows a header (the header's 16 bytes keep every alignment).
CQFBuffer encodePayload(const FQFPIQPayloadWriter& writer) {
    CQFPIQOStream out;
    const uint8_t placeholder[SQFServiceEventHeader::kSize] = {};
    out.writeRaw(placeholder, sizeof placeholder);
    if (writer) writer(out);
    const CQFBuffer& bytes = out.getBytes();
    return CQFBuffer(bytes.getData() + SQFServiceEventHeader::kSize, bytes.getSize() - SQFServiceEventHeader::kSize);
}

}  // namespace

struct CQFPIQServer::SImport {
    const SQFPIQInterface* mInterface = nullptr;
    SQFServiceAddress mAddress;
    std::set<uint32_t> mSubscriptions;
};

struct CQFPIQServer::SConnection {
    uint64_t mId = 0;
    int mFd = -1;
    CQFPIQFrameReader mReader;
    std::map<AddressKey, SImport> mImports;
};

CQFPIQServer::CQFPIQServer(const CQFString& roleName)
    : mRoleName(roleName), mPath(QFPIQFrame::endpointPath(roleName.str())) {}

CQFPIQServer::~CQFPIQServer() { stop(); }

void CQFPIQServer::provide(const SQFPIQInterface& interface) { mInterfaces.push_back(interface); }

bool CQFPIQServer::start() {
    if (mListenFd >= 0) return false;
    const int fd = hu::unix_socket::bindAt(mPath, SOCK_STREAM, 16);
    if (fd < 0) return false;
    if (pipe2(mWakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        close(fd);
        return false;
    }
    mListenFd = fd;
    mStopping = false;
    mThread.reset(new CQFThread("PIQServer"));
    if (!mThread->start([this] { serve(); })) {
        stop();
        return false;
    }
    return true;
}

void CQFPIQServer::stop() {
    {
        std::lock_guard<std::recursive_mutex> lock(mMutex);
        if (mListenFd < 0) return;
        mStopping = true;
    }
    wake();
    if (mThread && mThread->isStarted()) mThread->join();
    mThread.reset();
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    for (auto& entry : mConnections) close(entry.second->mFd);
    mConnections.clear();
    close(mListenFd);
    mListenFd = -1;
    unlink(mPath.c_str());
    for (int& fd : mWakePipe) {
        close(fd);
        fd = -1;
    }
}

void CQFPIQServer::wake() {
    if (mWakePipe[1] >= 0) (void)!write(mWakePipe[1], "w", 1);
}

size_t CQFPIQServer::getConnectionCount() const {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    return mConnections.size();
}

void CQFPIQServer::serve() {
    for (;;) {
        std::vector<pollfd> fds = {{mWakePipe[0], POLLIN, 0}, {mListenFd, POLLIN, 0}};
        std::vector<uint64_t> ids;
        {
            std::lock_guard<std::recursive_mutex> lock(mMutex);
            if (mStopping) return;
            for (auto& entry : mConnections) {
                fds.push_back({entry.second->mFd, POLLIN, 0});
                ids.push_back(entry.first);
            }
        }
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) {
            char drain[64];
            while (read(mWakePipe[0], drain, sizeof drain) > 0) {
            }
        }
        if (fds[1].revents & POLLIN) accept();
        for (size_t i = 0; i < ids.size(); ++i) {
            if (!fds[i + 2].revents) continue;
            std::lock_guard<std::recursive_mutex> lock(mMutex);
            auto found = mConnections.find(ids[i]);
            if (found == mConnections.end()) continue;
            if (!receive(*found->second)) {
                close(found->second->mFd);
                mConnections.erase(found);
            }
        }
    }
}

void CQFPIQServer::accept() {
    const int fd = ::accept4(mListenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    auto connection = std::make_unique<SConnection>();
    connection->mId = mNextConnection++;
    connection->mFd = fd;
    mConnections[connection->mId] = std::move(connection);
}

// False when the connection is to be closed. Called with mMutex held; the request handler
// runs with it held too (recursive), so that respond() from inside is safe.
bool CQFPIQServer::receive(SConnection& connection) {
    uint8_t bytes[16384];
    ssize_t n;
    do {
        n = read(connection.mFd, bytes, sizeof bytes);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    connection.mReader.append(bytes, static_cast<size_t>(n));
    for (;;) {
        uint32_t kind = 0;
        CQFBuffer body;
        const CQFPIQFrameReader::EResult result = connection.mReader.next(kind, body);
        if (result == CQFPIQFrameReader::eNeedMore) return true;
        if (result == CQFPIQFrameReader::eBadFrame || !handleFrame(connection, kind, body)) {
            CQFTraceScope(kScope, "receive")
                .sendFormattedError("CQFPIQServer::%s() : %s: malformed frame, client disconnected", "receive",
                                    mRoleName.getCString());
            return false;
        }
    }
}

bool CQFPIQServer::handleFrame(SConnection& connection, uint32_t kind, const CQFBuffer& body) {
    switch (kind) {
        case eQFPIQFrame_Import: return handleImport(connection, body);
        case eQFPIQFrame_Event: handleEvent(connection, body); return true;
        default: return false;
    }
}

bool CQFPIQServer::handleImport(SConnection& connection, const CQFBuffer& body) {
    CQFPIQIStream in(body);
    CQFString serviceName;
    uint16_t major = 0, minor = 0;
    SQFServiceAddress address;
    in.read(serviceName);
    in.read(major);
    in.read(minor);
    in.read(address.mFirst);
    in.read(address.mSecond);
    if (!in.isGood()) return false;

    const CQFString prefix = CQFString(mRoleName).append('.');
    const SQFPIQInterface* provided = nullptr;
    if (serviceName.startsWith(prefix)) {
        const CQFString interfaceName = serviceName.getRight(prefix.getByteLength());
        for (const SQFPIQInterface& i : mInterfaces) {
            if (i.mName == interfaceName) provided = &i;
        }
    }
    const bool accepted = provided && provided->mVersionMajor == major && provided->mVersionMinor >= minor;
    CQFPIQOStream answer;
    answer.write(address.mFirst);
    answer.write(address.mSecond);
    answer.write(accepted);
    answer.write(static_cast<uint16_t>(provided ? provided->mVersionMajor : 0));
    answer.write(static_cast<uint16_t>(provided ? provided->mVersionMinor : 0));
    if (!QFPIQFrame::write(connection.mFd, eQFPIQFrame_ImportAnswer, answer.getBytes())) return false;
    if (!accepted) {
        CQFTraceScope(kScope, "handleImport")
            .sendFormattedError("CQFPIQServer::%s() : import of %s %u.%u refused", "handleImport",
                                serviceName.getCString(), major, minor);
        return true;
    }
    SImport& import = connection.mImports[keyOf(address)];
    import.mInterface = provided;
    import.mAddress = address;
    import.mSubscriptions.clear();

    CQFPIQOStream version;
    SQFServiceEventHeader header;
    header.mAddress = address;
    header.mId = kQFUpdateIdImplementationVersion;
    header.mResultType = QFServices::eResultType_Ok;
    header.write(version);
    version.write(provided->mImplementationVersion.mMajor);
    version.write(provided->mImplementationVersion.mMinor);
    version.write(provided->mImplementationVersion.mMicro);
    return QFPIQFrame::write(connection.mFd, eQFPIQFrame_Event, version.getBytes());
}

void CQFPIQServer::handleEvent(SConnection& connection, const CQFBuffer& body) {
    CQFPIQIStream in(body);
    SQFServiceEventHeader header;
    header.read(in);
    auto found = connection.mImports.find(keyOf(header.mAddress));
    if (!in.isGood() || found == connection.mImports.end()) {
        CQFTraceScope(kScope, "handleEvent")
            .sendFormattedError("CQFPIQServer::%s() : request for a service not imported dropped", "handleEvent");
        return;
    }
    SImport& import = found->second;
    if (header.mId == kQFRequestIdClearAllNotifications) {
        import.mSubscriptions.clear();
        return;
    }
    if (isAttributeId(header.mId)) {
        import.mSubscriptions.insert(header.mId);
        sendAttribute(connection, import, header.mId, header.mSequenceNumber);
        return;
    }
    SQFPIQRequest request;
    request.mConnection = connection.mId;
    request.mAddress = header.mAddress;
    request.mInterfaceName = import.mInterface->mName;
    request.mRequestId = header.mId;
    request.mSequenceNumber = header.mSequenceNumber;
    if (import.mInterface->mOnRequest) import.mInterface->mOnRequest(request, in);
}

void CQFPIQServer::sendAttribute(SConnection& connection, const SImport& import, uint32_t updateId,
                                 uint32_t sequenceNumber) {
    SQFServiceEventHeader header;
    header.mAddress = import.mAddress;
    header.mId = updateId;
    header.mSequenceNumber = sequenceNumber;
    auto value = mAttributes.find({import.mInterface->mName.str(), updateId});
    if (value == mAttributes.end()) {
        header.mResultType = QFServices::eResultType_NotificationInvalid;
        sendEvent(connection, header, CQFBuffer());
    } else {
        header.mResultType = QFServices::eResultType_Valid;
        sendEvent(connection, header, value->second);
    }
}

void CQFPIQServer::sendEvent(SConnection& connection, const SQFServiceEventHeader& header, const CQFBuffer& payload) {
    CQFPIQOStream out;
    header.write(out);
    if (payload.getSize()) out.writeRaw(payload.getData(), payload.getSize());
    // A failed write shows as the connection's end on the next poll.
    if (!QFPIQFrame::write(connection.mFd, eQFPIQFrame_Event, out.getBytes())) shutdown(connection.mFd, SHUT_RDWR);
}

void CQFPIQServer::respond(const SQFPIQRequest& request, uint32_t updateId, uint32_t resultType,
                           const FQFPIQPayloadWriter& writer) {
    const CQFBuffer payload = encodePayload(writer);
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    auto found = mConnections.find(request.mConnection);
    if (found == mConnections.end()) return;
    SQFServiceEventHeader header;
    header.mAddress = request.mAddress;
    header.mId = updateId;
    header.mResultType = resultType;
    header.mSequenceNumber = request.mSequenceNumber;
    sendEvent(*found->second, header, QFServices::hasPayload(updateId, resultType) ? payload : CQFBuffer());
}

void CQFPIQServer::publish(const CQFString& interfaceName, uint32_t updateId, const FQFPIQPayloadWriter& writer) {
    const CQFBuffer payload = encodePayload(writer);
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mAttributes[{interfaceName.str(), updateId}] = payload;
    for (auto& entry : mConnections) {
        for (auto& imported : entry.second->mImports) {
            const SImport& import = imported.second;
            if (import.mInterface->mName == interfaceName && import.mSubscriptions.count(updateId)) {
                sendAttribute(*entry.second, import, updateId, 0);
            }
        }
    }
}

void CQFPIQServer::invalidate(const CQFString& interfaceName, uint32_t updateId) {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mAttributes.erase({interfaceName.str(), updateId});
    for (auto& entry : mConnections) {
        for (auto& imported : entry.second->mImports) {
            const SImport& import = imported.second;
            if (import.mInterface->mName == interfaceName && import.mSubscriptions.count(updateId)) {
                sendAttribute(*entry.second, import, updateId, 0);
            }
        }
    }
}
