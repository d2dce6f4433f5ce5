#include "vwd/vwd_client.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "hu/journal.h"
#include "vwd_service.h"

struct VwdClient {
    VwdWatchdogDumpListener dump_listener = nullptr;
    VwdWatchdogOccuredListener occured_listener = nullptr;
};

namespace {

void record(const std::string& call) { hu::journal::append("/var/log/vwd.journal", call); }

std::string numbers(std::initializer_list<unsigned long> values) {
    std::string text;
    for (unsigned long v : values) text += " " + std::to_string(v);
    return text;
}

}  // namespace

VwdClient* vwdClientCreate(int flags) {
    record("vwdClientCreate " + std::to_string(flags));
    return new VwdClient;
}

void vwdClientDestroy(VwdClient* client) {
    record("vwdClientDestroy");
    delete client;
}

int vwdClientRegisterWatchdogDumpListener(VwdClient* client, VwdWatchdogDumpListener listener) {
    record("vwdClientRegisterWatchdogDumpListener");
    client->dump_listener = listener;
    return 0;
}

int vwdClientRegisterWatchdogOccuredListener(VwdClient* client, VwdWatchdogOccuredListener listener) {
    record("vwdClientRegisterWatchdogOccuredListener");
    client->occured_listener = listener;
    return 0;
}

int vwdClientDumpWatchdogs(VwdClient* client) {
    record("vwdClientDumpWatchdogs");
    std::vector<VwdWatchdog> watchdogs = vwdLoadWatchdogs();
    if (client->dump_listener == nullptr) return 0;
    if (watchdogs.empty()) client->dump_listener("no watchdogs");
    for (const VwdWatchdog& w : watchdogs) {
        char line[160];
        snprintf(line, sizeof line, "watchdog %lu: surface %lu at (%lu, %lu)", w.id, w.surface, w.x, w.y);
        client->dump_listener(line);
    }
    return 0;
}

int vwdClientAnalyze(VwdClient*, unsigned long level) {
    record("vwdClientAnalyze" + numbers({level}));
    return 0;
}

int vwdClientAddWatchdog(VwdClient* client, unsigned long watchdog_id, unsigned long surface_id, unsigned long x,
                         unsigned long y) {
    record("vwdClientAddWatchdog" + numbers({watchdog_id, surface_id, x, y}));
    std::vector<VwdWatchdog> watchdogs = vwdLoadWatchdogs();
    watchdogs.erase(std::remove_if(watchdogs.begin(), watchdogs.end(),
                                   [&](const VwdWatchdog& w) { return w.id == watchdog_id; }),
                    watchdogs.end());
    watchdogs.push_back({watchdog_id, surface_id, x, y});
    vwdStoreWatchdogs(watchdogs);
    int value = 0;
    if (client->occured_listener != nullptr && vwdSurfaceFrozen(surface_id, &value)) {
        client->occured_listener(watchdog_id, value);
    }
    return 0;
}

int vwdClientRemoveWatchdog(VwdClient*, unsigned long watchdog_id) {
    record("vwdClientRemoveWatchdog" + numbers({watchdog_id}));
    std::vector<VwdWatchdog> watchdogs = vwdLoadWatchdogs();
    auto kept = std::remove_if(watchdogs.begin(), watchdogs.end(), [&](const VwdWatchdog& w) { return w.id == watchdog_id; });
    if (kept == watchdogs.end()) return -1;
    watchdogs.erase(kept, watchdogs.end());
    vwdStoreWatchdogs(watchdogs);
    return 0;
}

int vwdClientHistoryScreenshotAll(VwdClient*, const char* file_name) {
    record(std::string("vwdClientHistoryScreenshotAll ") + file_name);
    return 0;
}

int vwdClientHistoryScreenshot(VwdClient*, unsigned long watchdog_id, const char* file_name) {
    record("vwdClientHistoryScreenshot" + numbers({watchdog_id}) + " " + file_name);
    return 0;
}
