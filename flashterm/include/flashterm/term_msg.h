// The control messages of "/dev/FlashTerm": device-control commands (direction to the
// device, class misc, size field = the fixed part of the payload) and the bar record.
#pragma once

#include <cstdint>

#include "hu/devctl.h"

// Payload: the status text with its NUL.
#define DCMD_TERM_SET_STATUS __DIOT(_DCMD_MISC, 1, char)
// Payload: int32_t, non-zero runs the flashing clock, 0 stops it.
#define DCMD_TERM_SET_CLOCK __DIOT(_DCMD_MISC, 2, int32_t)
// Payload: term_bar_msg_t.
#define DCMD_TERM_ADD_BAR __DIOT(_DCMD_MISC, 3, term_bar_msg_t)
#define DCMD_TERM_SET_PROGRESS __DIOT(_DCMD_MISC, 4, term_bar_msg_t)

// Little-endian, no gaps; strings holds the reference name and the display name, each
// with its NUL, at the two offsets.
struct term_bar_msg_t {
    int32_t ref_offset;
    int32_t name_offset;
    int32_t progress;
    char strings[];
};
static_assert(sizeof(term_bar_msg_t) == 12, "the fixed part is 12 bytes");

// One control message (16-byte header and payload) fits the terminal's 2048-byte receive buffer.
#define TERM_MAX_PAYLOAD 2032
