// The ADV748x backend of the receiver framework: device 0 is the HDMI receiver on CSI-2
// transmitter A, device 1 the analogue decoder on transmitter B.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hddec_backend.h"

#define ADV748X_INTR 1233

// Fills in the backend's name, devices, interrupt and the five operations below.
void adv748x_backend_setup(HdDecBackend* backend);

// Opens the maps and brings the chip up: 0, EIO when an access failed, or the errno of a
// map that cannot be opened.
int adv748x_init(HdDecBackend* backend, unsigned verbosity);
// Closes the maps and stops the sideband engine.
void adv748x_fini(HdDecBackend* backend);
// Reads and clears the chip's interrupt status and sets event bits in device 0's word; 0, or
// EIO when a status register could not be read.
int adv748x_irq(HdDecBackend* backend);
// Programs what the flags name on the current device: 0, EIO or ENOTSUP.
int adv748x_update(HdDecBackend* backend, uint32_t flags);
// Reads the status the first matching flag names; errno tells the outcome.
int adv748x_query(HdDecBackend* backend, uint32_t flags, void* buffer, size_t length);

// The sideband engine's starter, called by the first HDMI selection.
extern int (*adv748x_msc_start)(MscContext* ctx, int cbus, unsigned verbosity);
