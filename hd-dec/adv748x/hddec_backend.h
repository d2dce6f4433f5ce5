// The receiver framework's view of a chip backend: the device records, the backend record
// with its five operations, and the update/query/event flags.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "adv748x_msc.h"

// Update and query flags; the event bits use the same values.
#define HDDEC_F_SOURCE 0x1u
#define HDDEC_F_LANES 0x400u
#define HDDEC_F_OUTPUT 0x800u
#define HDDEC_F_RX 0x80000000u
#define HDDEC_F_AUDIO_RATE 0x40000000u
#define HDDEC_F_RX_BLOCK 0x20000000u
#define HDDEC_F_RX_BIT 0x10000000u
#define HDDEC_EV_AUX 0x08000000u

#define HDDEC_KIND_HDMI 0
#define HDDEC_KIND_ANALOG 1

#define HDDEC_MAX_DEVICES 2
#define HDDEC_MAX_MAPS 12

struct HdDecDevice {
    int kind;
    int nsources;
    unsigned source;
    int output_enable;
    int rx_flag;
    std::atomic<uint32_t> events;  // atomic set by the interrupt path, fetch-and-clear by the API
    int lane_limit;                // largest lane count + 1
    int lanes;
    uint8_t initialised;
    MscContext msc;  // device 0 only
};

struct HdDecBackend {
    const char* name;
    int ndevices;
    int maps[HDDEC_MAX_MAPS];  // -1 while closed
    unsigned verbosity;
    int intr;     // chip interrupt number
    int intr_id;  // its attach id
    int cur_dev;  // set by the framework before every call
    HdDecDevice devices[HDDEC_MAX_DEVICES];

    int (*init)(HdDecBackend* backend, unsigned verbosity);
    void (*fini)(HdDecBackend* backend);
    int (*irq)(HdDecBackend* backend);  // 0, or EIO when the status could not be read
    int (*update)(HdDecBackend* backend, uint32_t flags);
    int (*query)(HdDecBackend* backend, uint32_t flags, void* buffer, size_t length);
};

// Verbosity bits of the backend itself (the sideband engine has its own, see adv748x_msc.h).
#define HDDEC_VERBOSE_CONFIG 0x1u
#define HDDEC_VERBOSE_IRQ 0x2u
