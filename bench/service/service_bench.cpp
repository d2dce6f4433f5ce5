// The settings service's request to response round trip through the middleware (proxy,
// Unix-socket transport, server library, notification delivered to the consumer on its
// component thread) beside a bare Unix-socket round trip of the same bytes (the floor): the
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

// Counts the responses it receives and lets the benchmark wait for the next one.
class CountingConsumer : public IDSYSDorerAdminConsumer {
public:
    void processEvent(CDSYSDorerAdminNotificationEvent&) override {
        std::lock_guard<std::mutex> lock(mMutex);
        ++mCount;
        mChanged.notify_one();
    }
    void waitFor(uint64_t count) {
        std::unique_lock<std::mutex> lock(mMutex);
        mChanged.wait(lock, [&] { return mCount >= count; });
    }

private:
    std::mutex mMutex;
    std::condition_variable mChanged;
    uint64_t mCount = 0;
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
    CountingConsumer* consumer = nullptr;
    onThread(shell, [&] {
        consumer = new CountingConsumer;
        proxy = CDSYSDorerAdminProxy::createProxy("DorerSrv", nullptr);
    });
    if (!proxy || !hu::testing::waitUntil([&] {
            bool connected = false;
            onThread(shell, [&] { connected = proxy->isConnected(); });
            return connected;
        })) {
        state.SkipWithError("no connection");
    }
    uint64_t answered = 0;
    for (auto _ : state) {
        shell.post([&] { proxy->requestReload(consumer); });
        consumer->waitFor(++answered);
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

void BM_DbusMethodCallRoundTrip(benchmark::State& state) {
    for (auto _ : state) {
        if (!g_dbus->call()) {
            state.SkipWithError("no reply");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
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
