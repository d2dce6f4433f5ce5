// The receiver framework's process record and its parts: the resource manager of
// "/dev/hd-dec-mgr", the control API, and the interrupt thread.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>

#include "hddec_backend.h"
#include "hu/resmgr.h"

struct HdDecProcess {
    dispatch_t* dpp;
    resmgr_attr_t rattr;
    resmgr_connect_funcs_t connect_funcs;
    resmgr_io_funcs_t io_funcs;
    iofunc_attr_t attr;
    std::atomic<int> notify_cond;  // conditions already met, for iofunc_notify
    iofunc_notify_t notify[3];     // input, output, out-of-band
    iofunc_mount_t mount;
    iofunc_funcs_t ocb_funcs;
    HdDecBackend backend;
    dispatch_context_t* ctp;
    int chid;
    int attach_id;  // -1 when not attached
    uintptr_t gpio8;
    pthread_t thread;
    bool thread_running;
};

// Creates the channel, the dispatch handle and the path; 0 or an errno value.
int resmgr_init(HdDecProcess* hd);
void resmgr_fini(HdDecProcess* hd);

// The devctl handler of "/dev/hd-dec-mgr".
int io_devctl(resmgr_context_t* ctp, io_devctl_t* msg, RESMGR_OCB_T* ocb);

// Starts "hd_dec_thread"; 0 or an errno value.
int create_hd_dec_thread(HdDecProcess* hd);
void stop_hd_dec_thread(HdDecProcess* hd);

// Whether any device has events its clients have not fetched yet.
inline bool hd_dec_events_pending(const HdDecProcess* hd) {
    for (int i = 0; i < hd->backend.ndevices; ++i) {
        if (hd->backend.devices[i].events.load() != 0) return true;
    }
    return false;
}

// The one process record, reached by the handlers.
extern HdDecProcess* g_hd;
