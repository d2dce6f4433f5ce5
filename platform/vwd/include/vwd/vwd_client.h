// Client of the video watchdog service, which watches display surfaces for frozen content.
//
// On the host the service is a set of files under HU_ROOT:
//   /var/log/vwd.journal       one line per call, name and arguments ("vwdClientAddWatchdog 1 1052 0 0")
//   /var/run/vwd/watchdogs     the watchdogs, one "id surface x y" line each
//   /var/run/vwd/frozen        surfaces whose content stands still, one "surface value" line each
// Listeners are called on the caller's thread, during the call that makes them fire:
// the dump listener once per watchdog during vwdClientDumpWatchdogs, the occurred listener
// during vwdClientAddWatchdog for a watchdog on a frozen surface.
#pragma once

extern "C" {

typedef struct VwdClient VwdClient;
typedef void (*VwdWatchdogDumpListener)(const char* line);
typedef void (*VwdWatchdogOccuredListener)(unsigned long watchdog_id, int value);

VwdClient* vwdClientCreate(int flags);
void vwdClientDestroy(VwdClient* client);

int vwdClientRegisterWatchdogDumpListener(VwdClient* client, VwdWatchdogDumpListener listener);
int vwdClientRegisterWatchdogOccuredListener(VwdClient* client, VwdWatchdogOccuredListener listener);

int vwdClientDumpWatchdogs(VwdClient* client);
int vwdClientAnalyze(VwdClient* client, unsigned long level);
int vwdClientAddWatchdog(VwdClient* client, unsigned long watchdog_id, unsigned long surface_id, unsigned long x,
                         unsigned long y);
int vwdClientRemoveWatchdog(VwdClient* client, unsigned long watchdog_id);
int vwdClientHistoryScreenshotAll(VwdClient* client, const char* file_name);
int vwdClientHistoryScreenshot(VwdClient* client, unsigned long watchdog_id, const char* file_name);

}  // extern "C"
