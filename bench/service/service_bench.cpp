// The settings service's request to response round trip through the middleware (proxy,
// Unix-socket transport, server library, notification delivered to the consumer on its
// component thread, which sends the next request from there as the shell's commands do) beside a bare Unix-socket round trip of the same bytes (the floor): the
// reload request is a 24-byte frame, its response a 28-byte frame. Its peer, a D-Bus method
// call through a private dbus-daemon, runs in the same rounds where libdbus is available.
#include <condition_variable>
#include <future>
#include <mutex>

#include "CDSYSDorerAdminProxy.h"
#include "DorerServiceImports.h"
#include "bare_socket.h"
#include "hu_testing.h"
#include "piq/CQFPIQServer.h"
#include "piq/QFPIQ.h"
#include "qf/CQFComponentThread.h"
#include "rounds.h"
#ifdef HU_BENCH_DBUS
#include "dbus_peer.h"
#endif

namespace {

constexpr size_t kRequestFrame = 8 + SQFServiceEventHeader::kSize;
constexpr size_t kResponseFrame = kRequestFrame + 4;

// Sends the next request from its component thread as each response arrives, as a command
// does, until the batch is done; then lets the benchmark go on.
class ChainingConsumer : public IDSYSDorerAdminConsumer {
public:
    CDSYSDorerAdminProxy* mProxy = nullptr;

    void processEvent(CDSYSDorerAdminNotificationEvent&) override {
        if (--mLeft > 0) {
            mProxy->requestReload(this);
            return;
        }
        std::lock_guard<std::mutex> lock(mMutex);
        mDone = true;
        mChanged.notify_one();
    }
    // On the component thread.
    void startBatch(int64_t requests) {
        mLeft = requests;
        mDone = false;
        mProxy->requestReload(this);
    }
    void waitForBatch() {
        std::unique_lock<std::mutex> lock(mMutex);
        mChanged.wait(lock, [&] { return mDone; });
    }

private:
    int64_t mLeft = 0;  // component thread only
    std::mutex mMutex;
    std::condition_variable mChanged;
    bool mDone = false;
};

void onThread(CQFComponentThread& thread, const std::function<void()>& work) {
    std::promise<void> done;
    thread.post([&] {
        work();
        done.set_value();
    });
    done.get_future().wait();
}

void BM_ServiceRequestRoundTrip(benchmark::State& state) {
    hu::testing::TempRoot root;
    CQFPIQServer server("DorerSrv");
    server.provide({DSYSDorerAdmin::kInterfaceName, 2, 0, {2, 0, 0}, [&server](const SQFPIQRequest& request, IQFIStream&) {
                        server.respond(request, DSYSDorerAdmin::UPD_ID_responseReload, QFServices::eResultType_Ok,
                                       [](IQFOStream& out) { out.write(true); });
                    }});
    if (!server.start()) {
        state.SkipWithError("server");
        return;
    }
    QFPIQ::configure(dorerServiceImports(), {{"DorerSrv.DSYSDorerAdmin", {2, 3}, 3, true, 2, 0}});
    QFPIQ::startReceiverThread();
    CQFComponentThread shell("CfgShell");
    shell.start();
    CDSYSDorerAdminProxy* proxy = nullptr;
    ChainingConsumer* consumer = nullptr;
    onThread(shell, [&] {
        consumer = new ChainingConsumer;
        consumer->mProxy = proxy = CDSYSDorerAdminProxy::createProxy("DorerSrv", nullptr);
    });
    if (!proxy || !hu::testing::waitUntil([&] {
            bool connected = false;
            onThread(shell, [&] { connected = proxy->isConnected(); });
            return connected;
        })) {
        state.SkipWithError("no connection");
    }
    // One batch of requests, each sent on the component thread when the one before is answered:
    // the benchmark's own thread hands over only at the batch's start and end.
    const int64_t batch = state.max_iterations;
    while (state.KeepRunningBatch(batch)) {
        shell.post([&] { consumer->startBatch(batch); });
        consumer->waitForBatch();
    }
    state.SetItemsProcessed(state.iterations());
    onThread(shell, [&] {
        if (proxy) proxy->freeProxyInstance(nullptr);
        delete consumer;
    });
    shell.stop();
    QFPIQ::stopReceiverThread();
}
BENCHMARK(BM_ServiceRequestRoundTrip)->UseRealTime();

void BM_BareSocketRoundTrip(benchmark::State& state) { bareSocketRoundTrip(state, kRequestFrame, kResponseFrame); }
BENCHMARK(BM_BareSocketRoundTrip)->UseRealTime();

#ifdef HU_BENCH_DBUS
DbusPeer* g_dbus = nullptr;

void BM_DbusMethodCallRoundTrip(benchmark::State& state) { dbusCallRoundTrip(state, *g_dbus); }
BENCHMARK(BM_DbusMethodCallRoundTrip)->UseRealTime();
#endif

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> names = {"BM_ServiceRequestRoundTrip", "BM_BareSocketRoundTrip"};
    std::map<std::string, std::string> floors = {{"BM_ServiceRequestRoundTrip", "BM_BareSocketRoundTrip"}};
#ifdef HU_BENCH_DBUS
    hu::testing::TempRoot root;
    DbusPeer dbus;
    if (!dbus.ok()) return 1;
    g_dbus = &dbus;
    names.push_back("BM_DbusMethodCallRoundTrip");
#endif
    return hu::bench::runRounds(argc, argv, names, floors);
}
