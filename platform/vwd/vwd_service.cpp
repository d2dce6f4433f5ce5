#include "vwd_service.h"

#include <cstdio>
#include <fstream>
#include <string>

#include "hu/path.h"

namespace {
const char kWatchdogsPath[] = "/var/run/vwd/watchdogs";
const char kFrozenPath[] = "/var/run/vwd/frozen";
}  // namespace

std::vector<VwdWatchdog> vwdLoadWatchdogs() {
    std::vector<VwdWatchdog> watchdogs;
    std::ifstream in(hu::resolve(kWatchdogsPath));
    VwdWatchdog w{};
    while (in >> w.id >> w.surface >> w.x >> w.y) watchdogs.push_back(w);
    return watchdogs;
}

// Written aside and renamed, so a reader never sees half a table.
void vwdStoreWatchdogs(const std::vector<VwdWatchdog>& watchdogs) {
    std::string path = hu::resolveForCreate(kWatchdogsPath);
    std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const VwdWatchdog& w : watchdogs) out << w.id << ' ' << w.surface << ' ' << w.x << ' ' << w.y << '\n';
        if (!out) return;
    }
    std::rename(temporary.c_str(), path.c_str());
}

bool vwdSurfaceFrozen(unsigned long surface, int* value) {
    std::ifstream in(hu::resolve(kFrozenPath));
    unsigned long frozen = 0;
    while (in >> frozen >> *value) {
        if (frozen == surface) return true;
    }
    return false;
}
