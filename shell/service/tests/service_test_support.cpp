#include "service_test_support.h"

#include <future>

#include "DorerServiceImports.h"
#include "piq/QFPIQ.h"

namespace service_test {

namespace {

const std::vector<SQFServiceRegistryEntry>& registry() {
    static const std::vector<SQFServiceRegistryEntry> entries = {
        {"CfgShell.QFRootService", {0, 1}, 1, false, 1, 0},
        {"DorerSrv.DSYSOnOff", {2, 0}, 0, true, 1, 1},
        {"DorerPageProxy.DSYSDorerClientGet", {2, 1}, 1, true, 1, 0},
        {"DorerSrv.DSYSDorerClientStore", {2, 2}, 2, true, 2, 0},
        {"DorerSrv.DSYSDorerAdmin", {2, 3}, 3, true, 2, 0},
    };
    return entries;
}

}  // namespace

ShellSide::ShellSide() {
    mComponent.registerComponentMapping("DorerService", "DorerSrv");
    QFPIQ::configure(dorerServiceImports(), registry());
    QFPIQ::startReceiverThread();
    const CQFComponentInfo* component = &mComponent;
    mThread.start([component] { CQFComponentInfo::setCurrent(component); });
}

ShellSide::~ShellSide() {
    mThread.stop([this] {
        for (auto it = mCleanups.rbegin(); it != mCleanups.rend(); ++it) (*it)();
    });
    QFPIQ::stopReceiverThread();
}

void ShellSide::run(const std::function<void()>& work) {
    std::promise<void> done;
    mThread.post([&] {
        work();
        done.set_value();
    });
    done.get_future().wait();
}

bool ShellSide::waitFor(const std::function<bool()>& ready) {
    return hu::testing::waitUntil([&] {
        bool result = false;
        run([&] { result = ready(); });
        return result;
    });
}

ScriptedServer::ScriptedServer(const char* role, uint16_t onOffMajor) : mServer(role) {
    auto handler = [this](const SQFPIQRequest& request, IQFIStream& payload) { handle(request, payload); };
    if (CQFString(role) == "DorerPageProxy") {
        mServer.provide({DSYSDorerClientGet::kInterfaceName, 1, 0, {1, 0, 0}, handler});
        return;
    }
    mServer.provide({DSYSOnOff::kInterfaceName, onOffMajor, 1, {1, 2, 3}, handler});
    mServer.provide({DSYSDorerClientStore::kInterfaceName, 2, 0, {2, 0, 0}, handler});
    mServer.provide({DSYSDorerAdmin::kInterfaceName, 2, 0, {2, 0, 1}, handler});
}

void ScriptedServer::setScript(Script script) {
    std::lock_guard<std::mutex> lock(mMutex);
    mScript = std::move(script);
}

std::vector<ScriptedServer::Received> ScriptedServer::received() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mReceived;
}

bool ScriptedServer::waitForRequests(size_t count) const {
    return hu::testing::waitUntil([&] { return received().size() >= count; });
}

void ScriptedServer::handle(const SQFPIQRequest& request, IQFIStream& payload) {
    Script script;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        script = mScript;
    }
    Received received{request.mInterfaceName, request.mRequestId, request.mSequenceNumber, CQFBuffer()};
    CQFBuffer bytes;
    uint8_t byte;
    while (payload.getRemaining() > 0 && payload.isGood()) {
        payload.read(byte);
        bytes.copyTo(&byte, 1, bytes.getSize());
    }
    received.mPayload = bytes;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mReceived.push_back(received);
    }
    Answer answer;
    // The script reads the payload again from its own copy, aligned as on the wire.
    CQFPIQOStream copy;
    SQFServiceEventHeader().write(copy);
    if (bytes.getSize()) copy.writeRaw(bytes.getData(), bytes.getSize());
    CQFPIQIStream in(copy.getBytes());
    SQFServiceEventHeader().read(in);
    if (script && script(request, in, answer)) {
        mServer.respond(request, answer.mUpdateId, answer.mResultType, answer.mWriter);
    }
}

Assertions::Assertions() {
    QFAssert::setObserver([this](const SQFAssertion& a) {
        std::lock_guard<std::mutex> lock(mMutex);
        mSeen.push_back(a);
    });
}

Assertions::~Assertions() { QFAssert::setObserver({}); }

std::vector<SQFAssertion> Assertions::all() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mSeen;
}

}  // namespace service_test
