// The IPC a Linux user would otherwise pick, as the peer of our request round trips: a D-Bus
// method call (libdbus, 24 bytes each way) through a private dbus-daemon under HU_ROOT, to a
// service thread that echoes the bytes.
#pragma once

#include <benchmark/benchmark.h>
#include <dbus/dbus.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "hu_testing.h"

class DbusPeer {
public:
    // Starts the daemon and the echo service; ok() tells whether both came up.
    DbusPeer();
    ~DbusPeer();
    bool ok() const { return mClient != nullptr; }
    // One method call and its reply; false when no reply came.
    bool call();

private:
    std::unique_ptr<hu::testing::Process> mDaemon;
    DBusConnection* mServer = nullptr;
    DBusConnection* mClient = nullptr;
    std::atomic<bool> mStop{false};
    std::thread mEcho;
};

// The benchmark body of the D-Bus method call round trip, for every program that measures it.
inline void dbusCallRoundTrip(benchmark::State& state, DbusPeer& peer) {
    for (auto _ : state) {
        if (!peer.call()) {
            state.SkipWithError("no reply");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
