// A D-Bus method call round trip (24 bytes each way) through a private dbus-daemon, beside a
// bare socket round trip of the same size: the peer of the middleware's request round trip.
#include <benchmark/benchmark.h>
#include <dbus/dbus.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "bare_socket.h"
#include "hu/path.h"
#include "hu_testing.h"
#include "ratio_reporter.h"

namespace {

const char kService[] = "hu.bench.Echo";
const char kObject[] = "/hu/bench/Echo";
const char kInterface[] = "hu.bench.Echo";

std::string g_address;
DBusConnection* g_client = nullptr;

DBusConnection* connect(const std::string& address) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection = dbus_connection_open_private(address.c_str(), &error);
    if (connection == nullptr || !dbus_bus_register(connection, &error)) {
        fprintf(stderr, "dbus: %s\n", error.message != nullptr ? error.message : "cannot connect");
        dbus_error_free(&error);
        return nullptr;
    }
    return connection;
}

// Answers every Echo call with the bytes it carried.
void serve(DBusConnection* connection, std::atomic<bool>* stop) {
    while (!stop->load() && dbus_connection_read_write(connection, 100)) {
        while (DBusMessage* message = dbus_connection_pop_message(connection)) {
            if (dbus_message_is_method_call(message, kInterface, "Echo")) {
                DBusMessage* reply = dbus_message_new_method_return(message);
                DBusMessageIter in, out;
                dbus_message_iter_init(message, &in);
                dbus_message_iter_init_append(reply, &out);
                const unsigned char* bytes = nullptr;
                int count = 0;
                DBusMessageIter array;
                dbus_message_iter_recurse(&in, &array);
                dbus_message_iter_get_fixed_array(&array, &bytes, &count);
                DBusMessageIter reply_array;
                dbus_message_iter_open_container(&out, DBUS_TYPE_ARRAY, DBUS_TYPE_BYTE_AS_STRING, &reply_array);
                dbus_message_iter_append_fixed_array(&reply_array, DBUS_TYPE_BYTE, &bytes, count);
                dbus_message_iter_close_container(&out, &reply_array);
                dbus_connection_send(connection, reply, nullptr);
                dbus_message_unref(reply);
            }
            dbus_message_unref(message);
        }
    }
}

void BM_DbusMethodCallRoundTrip(benchmark::State& state) {
    unsigned char payload[24] = {};
    const unsigned char* bytes = payload;
    for (auto _ : state) {
        DBusMessage* call = dbus_message_new_method_call(kService, kObject, kInterface, "Echo");
        dbus_message_append_args(call, DBUS_TYPE_ARRAY, DBUS_TYPE_BYTE, &bytes, static_cast<int>(sizeof payload),
                                 DBUS_TYPE_INVALID);
        DBusError error;
        dbus_error_init(&error);
        DBusMessage* reply = dbus_connection_send_with_reply_and_block(g_client, call, 5000, &error);
        dbus_message_unref(call);
        if (reply == nullptr) {
            state.SkipWithError(error.message != nullptr ? error.message : "no reply");
            dbus_error_free(&error);
            break;
        }
        dbus_message_unref(reply);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DbusMethodCallRoundTrip)->UseRealTime();

void BM_BareSocketRoundTrip(benchmark::State& state) { bareSocketRoundTrip(state, 24, 24); }
BENCHMARK(BM_BareSocketRoundTrip)->UseRealTime();

// A session bus of our own, listening under HU_ROOT.
std::string writeBusConfig(const std::string& socket_path) {
    std::string config_path = hu::resolveForCreate("/etc/dbus-bench.conf");
    std::ofstream config(config_path);
    config << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
              " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
              "<busconfig><type>session</type><listen>unix:path="
           << socket_path
           << "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
              "<allow eavesdrop=\"true\"/>"
              "<allow own=\"*\"/></policy></busconfig>\n";
    return config_path;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    hu::testing::TempRoot root;
    std::string socket_path = hu::resolveForCreate("/run/dbus-bench/bus");
    hu::testing::Process daemon({"/usr/bin/dbus-daemon", "--nofork", "--config-file=" + writeBusConfig(socket_path)});
    g_address = "unix:path=" + socket_path;
    DBusConnection* server = nullptr;
    hu::testing::waitUntil([&] { return (server = connect(g_address)) != nullptr; });
    if (server == nullptr) {
        fprintf(stderr, "dbus-daemon did not come up\n");
        return 1;
    }
    DBusError error;
    dbus_error_init(&error);
    dbus_bus_request_name(server, kService, DBUS_NAME_FLAG_DO_NOT_QUEUE, &error);
    std::atomic<bool> stop{false};
    std::thread echo(serve, server, &stop);
    g_client = connect(g_address);
    if (g_client == nullptr) return 1;

    RatioReporter reporter("BM_BareSocketRoundTrip");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    stop = true;
    echo.join();
    dbus_connection_close(g_client);
    dbus_connection_unref(g_client);
    dbus_connection_close(server);
    dbus_connection_unref(server);
    return 0;
}
