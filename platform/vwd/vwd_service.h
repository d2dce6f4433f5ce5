// The watchdog service's state on the host: its watchdogs and the frozen surfaces.
#pragma once

#include <vector>

struct VwdWatchdog {
    unsigned long id, surface, x, y;
};

std::vector<VwdWatchdog> vwdLoadWatchdogs();
void vwdStoreWatchdogs(const std::vector<VwdWatchdog>& watchdogs);

// The value reported for a frozen surface; false when its content moves.
bool vwdSurfaceFrozen(unsigned long surface, int* value);
