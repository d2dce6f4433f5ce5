// A D-Bus method call round trip (24 bytes each way) through a private dbus-daemon, beside a
// bare socket round trip of the same size: the peer of the middleware's request round trip.
#include <cstdio>

#include "bare_socket.h"
#include "dbus_peer.h"
#include "hu_testing.h"
#include "rounds.h"

namespace {

DbusPeer* g_peer = nullptr;

void BM_DbusMethodCallRoundTrip(benchmark::State& state) { dbusCallRoundTrip(state, *g_peer); }
BENCHMARK(BM_DbusMethodCallRoundTrip)->UseRealTime();

void BM_BareSocketRoundTrip(benchmark::State& state) { bareSocketRoundTrip(state, 24, 24); }
BENCHMARK(BM_BareSocketRoundTrip)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    hu::testing::TempRoot root;
    DbusPeer peer;
    if (!peer.ok()) return 1;
    g_peer = &peer;
    return hu::bench::runRounds(argc, argv, {"BM_DbusMethodCallRoundTrip", "BM_BareSocketRoundTrip"},
                                {{"BM_DbusMethodCallRoundTrip", "BM_BareSocketRoundTrip"}});
}
