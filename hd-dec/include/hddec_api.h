// Control API of the receiver driver "/dev/hd-dec-mgr": the device-control commands and
// their payloads (little-endian). Clients include this header; the driver serves it.
#pragma once

#include <cstdint>

#define HDDEC_DEVICE_PATH "/dev/hd-dec-mgr"

// Every command but the first carries the device index in its first word.
struct hddec_arg_t {
    uint32_t dev_idx;
    union {
        uint32_t u;
        int32_t s;
    } value;
};
static_assert(sizeof(hddec_arg_t) == 8);

struct hddec_block_t {
    uint32_t dev_idx;
    uint8_t data[5];
    uint8_t pad[3];
};
static_assert(sizeof(hddec_block_t) == 12);

#define DCMD_HDDEC_GET_NUM_DEVICES 0x40040500
#define DCMD_HDDEC_GET_NUM_SOURCES 0xc0080501
#define DCMD_HDDEC_SET_SOURCE 0x80080502
#define DCMD_HDDEC_GET_EVENTS 0xc0080503
#define DCMD_HDDEC_SET_RX_FLAG 0x80080564
#define DCMD_HDDEC_GET_RX_STATUS 0xc0080565
#define DCMD_HDDEC_GET_AUDIO_RATE 0xc0080567
#define DCMD_HDDEC_GET_RX_BLOCK 0xc00c0568
#define DCMD_HDDEC_GET_RX_BIT 0xc0080569
#define DCMD_HDDEC_SET_OUTPUT 0x800805c8
#define DCMD_HDDEC_SET_LANES 0x800805c9

// Event bits of DCMD_HDDEC_GET_EVENTS.
#define HDDEC_EVENT_RX 0x80000000u
#define HDDEC_EVENT_AUDIO_RATE 0x40000000u
#define HDDEC_EVENT_RX_BLOCK 0x20000000u
#define HDDEC_EVENT_RX_BIT 0x10000000u
#define HDDEC_EVENT_AUX 0x08000000u
