#include "dbus_peer.h"

#include <cstdio>
#include <fstream>

#include "hu/path.h"

namespace {

const char kService[] = "hu.bench.Echo";
const char kObject[] = "/hu/bench/Echo";
const char kInterface[] = "hu.bench.Echo";

DBusConnection* connect(const std::string& address) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection = dbus_connection_open_private(address.c_str(), &error);
    if (connection == nullptr || !dbus_bus_register(connection, &error)) {
        fprintf(stderr, "dbus: %s\n", error.message != nullptr ? error.message : "cannot connect");
        dbus_error_free(&error);
        if (connection != nullptr) {
            dbus_connection_close(connection);
            dbus_connection_unref(connection);
        }
        return nullptr;
    }
    return connection;
}

void closeConnection(DBusConnection* connection) {
    if (connection == nullptr) return;
    dbus_connection_close(connection);
    dbus_connection_unref(connection);
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

DbusPeer::DbusPeer() {
    std::string socket_path = hu::resolveForCreate("/run/dbus-bench/bus");
    mDaemon = std::make_unique<hu::testing::Process>(
        std::vector<std::string>{"/usr/bin/dbus-daemon", "--nofork", "--config-file=" + writeBusConfig(socket_path)});
    const std::string address = "unix:path=" + socket_path;
    hu::testing::waitUntil([&] { return (mServer = connect(address)) != nullptr; });
    if (mServer == nullptr) {
        fprintf(stderr, "dbus-daemon did not come up\n");
        return;
    }
    DBusError error;
    dbus_error_init(&error);
    dbus_bus_request_name(mServer, kService, DBUS_NAME_FLAG_DO_NOT_QUEUE, &error);
    dbus_error_free(&error);
    mEcho = std::thread(serve, mServer, &mStop);
    mClient = connect(address);
}

DbusPeer::~DbusPeer() {
    mStop = true;
    if (mEcho.joinable()) mEcho.join();
    closeConnection(mClient);
    closeConnection(mServer);
}

bool DbusPeer::call() {
    unsigned char payload[24] = {};
    const unsigned char* bytes = payload;
    DBusMessage* call = dbus_message_new_method_call(kService, kObject, kInterface, "Echo");
    dbus_message_append_args(call, DBUS_TYPE_ARRAY, DBUS_TYPE_BYTE, &bytes, static_cast<int>(sizeof payload),
                             DBUS_TYPE_INVALID);
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* reply = dbus_connection_send_with_reply_and_block(mClient, call, 5000, &error);
    dbus_message_unref(call);
    dbus_error_free(&error);
    if (reply == nullptr) return false;
    dbus_message_unref(reply);
    return true;
}
