// A world for the settings service client tests: a private HU_ROOT, the middleware configured
// with cfgshell's imports, its receiver running, a component thread "CfgShell" for the
// proxies and consumers, and scripted settings servers on the real transport.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CDSYSDorerAdminEvents.h"
#include "CDSYSDorerClientGetEvents.h"
#include "CDSYSDorerClientStoreEvents.h"
#include "CDSYSOnOffEvents.h"
#include "hu_testing.h"
#include "piq/CQFPIQServer.h"
#include "qf/CQFComponent.h"
#include "qf/CQFComponentThread.h"
#include "qf/QFAssert.h"

namespace service_test {

// The middleware and the component thread of one test.
class ShellSide {
public:
    ShellSide();
    ~ShellSide();  // stops the thread (running cleanup there first) and the receiver

    // Runs work on the component thread and waits for it.
    void run(const std::function<void()>& work);
    // Runs work on the component thread when the test ends (the last registered first).
    void atEnd(std::function<void()> work) { mCleanups.push_back(std::move(work)); }
    // An object made and, at the end, deleted on the component thread.
    template <class T, class... TArgs>
    T* make(TArgs&&... args) {
        T* object = nullptr;
        run([&] { object = new T(std::forward<TArgs>(args)...); });
        atEnd([object] { delete object; });
        return object;
    }
    // Waits (bounded) until ready(), checked on the component thread.
    bool waitFor(const std::function<bool()>& ready);

private:
    CQFComponentInfo mComponent{"CfgShell"};
    CQFComponentThread mThread{"CfgShell"};
    std::vector<std::function<void()>> mCleanups;
};

// One answer a scripted interface gives to a request: result type and payload.
struct Answer {
    uint32_t mUpdateId = 0;
    uint32_t mResultType = 512;
    FQFPIQPayloadWriter mWriter;  // empty: no payload
};

// A settings server that answers each request with what the script says and records it.
class ScriptedServer {
public:
    struct Received {
        CQFString mInterface;
        uint32_t mRequestId;
        uint32_t mSequenceNumber;
        CQFBuffer mPayload;  // the request's payload bytes as received
    };
    using Script = std::function<bool(const SQFPIQRequest&, IQFIStream&, Answer&)>;  // false: no answer

    explicit ScriptedServer(const char* role, uint16_t onOffMajor = 1);
    ~ScriptedServer() { mServer.stop(); }
    bool start() { return mServer.start(); }
    void stop() { mServer.stop(); }
    void setScript(Script script);
    std::vector<Received> received() const;
    CQFPIQServer& server() { return mServer; }
    bool waitForRequests(size_t count) const;

private:
    void handle(const SQFPIQRequest& request, IQFIStream& payload);
    CQFPIQServer mServer;
    mutable std::mutex mMutex;
    Script mScript;
    std::vector<Received> mReceived;
};

// What a consumer saw of one notification.
struct Seen {
    uint32_t mUpdateId;
    uint32_t mResultType;
    uint32_t mSequenceNumber;
    std::string mValue;  // what the test's reader took from the proxy while it was delivered
};

// Records the notifications of one interface; read gives the value text during delivery.
template <class TEvent>
class RecordingConsumer : public TDorerServiceConsumer<TEvent> {
public:
    std::function<std::string(TEvent&)> read;
    std::vector<Seen> seen;  // touched on the component thread only
    void processEvent(TEvent& event) override {
        seen.push_back({event.mUpdateId, event.mResultType, event.mSequenceNumber, read ? read(event) : ""});
    }
};

// Collects the framework's assertion reports during its lifetime.
class Assertions {
public:
    Assertions();
    ~Assertions();
    std::vector<SQFAssertion> all() const;

private:
    mutable std::mutex mMutex;
    std::vector<SQFAssertion> mSeen;
};

}  // namespace service_test
