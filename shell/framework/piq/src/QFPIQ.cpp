#include "piq/QFPIQ.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "hu/unix_socket.h"
#include "piq/CQFProxyBase.h"
#include "piq/QFPIQFrame.h"
#include "qf/CQFThread.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_kestrel_piq_QFPIQ");
using Clock = std::chrono::steady_clock;

struct Service {
    CQFString mName;    // "DorerSrv.DSYSOnOff"
    std::string mRole;  // "DorerSrv"
    QFPIQ::SImport mImport;
    uint64_t mProxyId = 0;
    bool mAccepted = false;
};

// A role's connection is closed when the last of its holders lets it go: the receiver ends
// it by letting go, and a sender that holds it meanwhile writes on without a duplicate.
struct Connection {
    explicit Connection(int fd) : mFd(fd) {}
    ~Connection() { close(mFd); }
    const int mFd;
};

struct Role {
    int mFd = -1;
    std::shared_ptr<const Connection> mConnection;  // of mFd
    CQFPIQFrameReader mReader;
    Clock::time_point mNextAttempt{};
};

CQFString roleOf(const CQFString& serviceName) {
    const std::string& s = serviceName.str();
    return CQFString(s.substr(0, s.find('.')));
}

class Engine {
public:
    Engine() {
        if (pipe2(mWake, O_CLOEXEC | O_NONBLOCK) != 0) mWake[0] = mWake[1] = -1;
    }

    void configure(const std::vector<SQFPIQImportEntry>& imports, const std::vector<SQFServiceRegistryEntry>& registry) {
        std::lock_guard<std::mutex> lock(mMutex);
        mImports = imports;
        mRegistry = registry;
        mStopping = false;
    }

    bool findImport(const CQFString& serviceName, QFPIQ::SImport& import) {
        std::lock_guard<std::mutex> lock(mMutex);
        return findImportLocked(serviceName, import);
    }

    void attach(uint64_t proxyId, const CQFString& serviceName) {
        std::lock_guard<std::mutex> lock(mMutex);
        Service service;
        service.mName = serviceName;
        service.mRole = roleOf(serviceName).str();
        service.mProxyId = proxyId;
        if (!findImportLocked(serviceName, service.mImport)) return;
        mServices.push_back(service);
        Role& r = mRoles[service.mRole];
        if (r.mFd >= 0) sendImport(r, mServices.back());
        wake();
    }

    void detach(uint64_t proxyId) {
        std::lock_guard<std::mutex> lock(mMutex);
        for (auto it = mServices.begin(); it != mServices.end();) {
            it = it->mProxyId == proxyId ? mServices.erase(it) : it + 1;
        }
    }

    bool send(CQFServiceRequestEvent& event) {
        FQFRequestEventSerializer serializer = nullptr;
        std::shared_ptr<const Connection> connection;
        {
            std::lock_guard<std::mutex> lock(mMutex);
            const Service* service = findService(event.getServiceAddress(), nullptr);
            if (!service || !service->mAccepted) return false;
            auto role = mRoles.find(service->mRole);
            if (role == mRoles.end() || !role->second.mConnection) return false;
            serializer = service->mImport.mEntry->mRequestSerializer;
            // Written unlocked, holding the connection: the receiver may end it meanwhile, and
            // a blocked write must not stop it from reading.
            connection = role->second.mConnection;
        }
        const int fd = connection->mFd;
        CQFPIQOStream out;
        if (serializer) {
            serializer(out, event);
        } else {
            QFComponentEvents::serializeServiceRequestEventPIQ(out, event);
        }
        const bool sent = QFPIQFrame::write(fd, eQFPIQFrame_Event, out.getBytes());
        // A failed write shows as the connection's end in the receiver loop.
        if (!sent) shutdown(fd, SHUT_RDWR);
        return sent;
    }

    void serve() {
        {
            std::lock_guard<std::mutex> lock(mMutex);
            if (mStopping) return;
            mServing = true;
        }
        for (;;) {
            std::vector<pollfd> fds = {{mWake[0], POLLIN, 0}};
            std::vector<std::string> roles;
            int timeoutMs = -1;
            {
                std::lock_guard<std::mutex> lock(mMutex);
                if (mStopping) {
                    endServing();
                    return;
                }
                connectDueRoles(timeoutMs);
                for (auto& entry : mRoles) {
                    if (entry.second.mFd < 0) continue;
                    fds.push_back({entry.second.mFd, POLLIN, 0});
                    roles.push_back(entry.first);
                }
            }
            if (poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) {
                std::lock_guard<std::mutex> lock(mMutex);
                endServing();
                return;
            }
            if (fds[0].revents) {
                char drain[64];
                while (read(mWake[0], drain, sizeof drain) > 0) {
                }
            }
            for (size_t i = 0; i < roles.size(); ++i) {
                if (fds[i + 1].revents) receive(roles[i], fds[i + 1].fd);
            }
        }
    }

    // The receiver thread closes the roles itself when it sees the stop: it may be reading
    // one of their descriptors right now.
    void stop() {
        std::lock_guard<std::mutex> lock(mMutex);
        mStopping = true;
        if (!mServing) closeAllRoles();
        wake();
    }

private:
    bool findImportLocked(const CQFString& serviceName, QFPIQ::SImport& import) const {
        for (const SQFPIQImportEntry& entry : mImports) {
            if (serviceName != entry.mServiceName) continue;
            for (const SQFServiceRegistryEntry& r : mRegistry) {
                if (serviceName == r.mServiceName && r.mImport) {
                    import.mEntry = &entry;
                    import.mAddress = r.mAddress;
                    return true;
                }
            }
        }
        return false;
    }

    Service* findService(const SQFServiceAddress& address, const std::string* role) {
        for (Service& s : mServices) {
            if (s.mImport.mAddress == address && (!role || s.mRole == *role)) return &s;
        }
        return nullptr;
    }

    void wake() {
        if (mWake[1] >= 0) (void)!write(mWake[1], "w", 1);
    }

    // With mMutex held: connects each role that has services and no connection, when due.
    void connectDueRoles(int& timeoutMs) {
        const Clock::time_point now = Clock::now();
        for (auto& entry : mRoles) {
            Role& role = entry.second;
            bool wanted = false;
            for (const Service& s : mServices) wanted |= s.mRole == entry.first;
            if (!wanted || role.mFd >= 0) continue;
            if (now >= role.mNextAttempt) {
                role.mFd = connectTo(entry.first);
                role.mNextAttempt = now + std::chrono::milliseconds(QFPIQ::kRetryMs);
                if (role.mFd >= 0) {
                    role.mConnection = std::make_shared<const Connection>(role.mFd);
                    role.mReader.clear();
                    for (Service& s : mServices) {
                        if (s.mRole == entry.first) sendImport(role, s);
                    }
                    continue;
                }
            }
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(role.mNextAttempt - now).count();
            const int ms = wait < 0 ? 0 : static_cast<int>(wait) + 1;
            if (timeoutMs < 0 || ms < timeoutMs) timeoutMs = ms;
        }
    }

    static int connectTo(const std::string& role) {
        return hu::unix_socket::connectTo(QFPIQFrame::endpointPath(role), SOCK_STREAM);
    }

    void sendImport(Role& role, Service& service) {
        CQFPIQOStream out;
        out.write(service.mName);
        out.write(service.mImport.mEntry->mVersionMajor);
        out.write(service.mImport.mEntry->mVersionMinor);
        out.write(service.mImport.mAddress.mFirst);
        out.write(service.mImport.mAddress.mSecond);
        service.mAccepted = false;
        if (!QFPIQFrame::write(role.mFd, eQFPIQFrame_Import, out.getBytes())) shutdown(role.mFd, SHUT_RDWR);
    }

    // With mMutex held.
    void closeAllRoles() {
        for (auto& entry : mRoles) closeRole(entry.first, entry.second);
    }
    void endServing() {
        closeAllRoles();
        mServing = false;
    }

    // With mMutex held: ends the connection and reports every accepted service as gone.
    void closeRole(const std::string& name, Role& role) {
        if (role.mFd < 0) return;
        role.mConnection.reset();
        role.mFd = -1;
        role.mReader.clear();
        for (Service& s : mServices) {
            if (s.mRole != name || !s.mAccepted) continue;
            s.mAccepted = false;
            postToProxy(s.mProxyId, [](CQFProxyBase& proxy) { proxy.onConnectionChanged(false); });
        }
    }

    // Only the receiver thread closes a role's descriptor, so fd stays valid here.
    // What it hands to the proxies' threads goes after mMutex is free: a proxy's thread woken
    // by it must not wait for the lock at once to send its next request.
    void receive(const std::string& name, int fd) {
        uint8_t bytes[65536];
        ssize_t n;
        do {
            n = read(fd, bytes, sizeof bytes);
        } while (n < 0 && errno == EINTR);
        std::vector<SDelivery> deliveries;
        {
            std::lock_guard<std::mutex> lock(mMutex);
            mDeferred = &deliveries;
            receiveLocked(name, n, bytes);
            mDeferred = nullptr;
        }
        for (SDelivery& delivery : deliveries) CQFProxyBase::postToProxy(delivery.mProxyId, std::move(delivery.mWork));
    }

    struct SDelivery {
        uint64_t mProxyId;
        std::function<void(CQFProxyBase&)> mWork;
    };

    // With mMutex held: at once, or once receive() has let it go.
    void postToProxy(uint64_t proxyId, std::function<void(CQFProxyBase&)> work) {
        if (mDeferred) {
            mDeferred->push_back({proxyId, std::move(work)});
        } else {
            CQFProxyBase::postToProxy(proxyId, std::move(work));
        }
    }

    void receiveLocked(const std::string& name, ssize_t n, const uint8_t* bytes) {
        Role& role = mRoles[name];
        if (n <= 0) {
            closeRole(name, role);
            return;
        }
        role.mReader.append(bytes, static_cast<size_t>(n));
        for (;;) {
            uint32_t kind = 0;
            CQFBuffer body;
            const CQFPIQFrameReader::EResult result = role.mReader.next(kind, body);
            if (result == CQFPIQFrameReader::eNeedMore) return;
            if (result == CQFPIQFrameReader::eBadFrame) {
                CQFTraceScope(kScope, "receive")
                    .sendFormattedError("QFPIQ::%s() : %s: frame length refused, connection closed", "receive",
                                        name.c_str());
                closeRole(name, role);
                return;
            }
            if (kind == eQFPIQFrame_ImportAnswer) {
                handleImportAnswer(name, body);
            } else if (kind == eQFPIQFrame_Event) {
                handleEvent(name, body);
            }
        }
    }

    void handleImportAnswer(const std::string& role, const CQFBuffer& body) {
        CQFPIQIStream in(body);
        SQFServiceAddress address;
        bool accepted = false;
        uint16_t major = 0, minor = 0;
        in.read(address.mFirst);
        in.read(address.mSecond);
        in.read(accepted);
        in.read(major);
        in.read(minor);
        Service* service = findService(address, &role);
        if (!in.isGood() || !service) return;
        if (!accepted) {
            CQFTraceScope(kScope, "handleImportAnswer")
                .sendFormattedError("QFPIQ::%s() : import of %s %u.%u refused (server has %u.%u)", "handleImportAnswer",
                                    service->mName.getCString(), service->mImport.mEntry->mVersionMajor,
                                    service->mImport.mEntry->mVersionMinor, major, minor);
            return;
        }
        service->mAccepted = true;
        postToProxy(service->mProxyId, [](CQFProxyBase& proxy) { proxy.onConnectionChanged(true); });
    }

    void handleEvent(const std::string& role, const CQFBuffer& body) {
        SQFServiceEventHeader header;
        {
            CQFPIQIStream peek(body);
            header.read(peek);
            if (!peek.isGood()) return;
        }
        Service* service = findService(header.mAddress, &role);
        if (!service || !service->mAccepted) return;
        CQFPIQIStream in(body);
        FQFResponseEventFactory factory = service->mImport.mEntry->mResponseFactory;
        CQFServiceResponseEvent* event =
            factory ? factory(in) : QFComponentEvents::createServiceResponseEventPIQ(in);
        if (!event || !in.isGood()) {
            CQFTraceScope(kScope, "handleEvent")
                .sendFormattedError("QFPIQ::%s() : malformed event of %s (update id 0x%x) dropped", "handleEvent",
                                    service->mName.getCString(), header.mId);
            delete event;
            return;
        }
        // The holder deletes the event when it is never delivered (the proxy went first).
        auto holder = std::make_shared<std::unique_ptr<CQFServiceResponseEvent>>(event);
        postToProxy(service->mProxyId,
                                  [holder](CQFProxyBase& proxy) { proxy.onResponseEvent(holder->release()); });
    }

    std::mutex mMutex;
    std::vector<SQFPIQImportEntry> mImports;
    std::vector<SQFServiceRegistryEntry> mRegistry;
    std::vector<Service> mServices;
    std::map<std::string, Role> mRoles;
    int mWake[2] = {-1, -1};
    bool mStopping = false;
    bool mServing = false;                    // a receiver thread is in serve()
    std::vector<SDelivery>* mDeferred = nullptr;  // while receive() holds mMutex
};

Engine& engine() {
    static Engine* e = new Engine;
    return *e;
}

std::unique_ptr<CQFThread> gReceiverThread;

void configureMiddleware(const std::vector<SQFPIQImportEntry>& imports,
                         const std::vector<SQFServiceRegistryEntry>& registry) {
    QFPIQ::configure(imports, registry);
}

const SQFMiddleware kMiddleware = {&configureMiddleware, &QFPIQ::serveReceiver, &QFPIQ::stopReceiver};
// The frame finds the middleware when this library is linked (the proxies use it).
const bool kInstalled = (QFApplication::installMiddleware(&kMiddleware), true);

}  // namespace

namespace QFPIQ {

void configure(const std::vector<SQFPIQImportEntry>& imports, const std::vector<SQFServiceRegistryEntry>& registry) {
    (void)kInstalled;
    engine().configure(imports, registry);
}
void serveReceiver() { engine().serve(); }
void stopReceiver() { engine().stop(); }

void startReceiverThread() {
    if (gReceiverThread) return;
    gReceiverThread.reset(new CQFThread("PIQReceive"));
    gReceiverThread->start([] { serveReceiver(); });
}

void stopReceiverThread() {
    stopReceiver();
    if (gReceiverThread) gReceiverThread->join();
    gReceiverThread.reset();
}

bool findImport(const CQFString& serviceName, SImport& import) { return engine().findImport(serviceName, import); }
void attach(uint64_t proxyId, const CQFString& serviceName) { engine().attach(proxyId, serviceName); }
void detach(uint64_t proxyId) { engine().detach(proxyId); }
bool send(CQFServiceRequestEvent& event) { return engine().send(event); }

}  // namespace QFPIQ
