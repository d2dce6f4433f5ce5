// Register access to the ADV748x over its twelve I2C register-map devices. Every call is
// one transfer on the map's device and returns 0, EIO when the transfer failed (its log line
// says why) or EINVAL for a block longer than a transfer takes.
#pragma once

#include <cstddef>
#include <cstdint>

// The maps, in the order they are opened and kept in the backend.
enum adv748x_map {
    ADV748X_IO,
    ADV748X_REP,
    ADV748X_HDMI,
    ADV748X_CBUS,
    ADV748X_CEC,
    ADV748X_CP,
    ADV748X_TXA,
    ADV748X_TXB,
    ADV748X_DLL,
    ADV748X_EDID,
    ADV748X_INFOFRAME,
    ADV748X_SDP,
    ADV748X_NUM_MAPS
};

extern const char* const adv748x_map_paths[ADV748X_NUM_MAPS];

#define ADV748X_BLOCK_MAX 515

int adv748x_i2c_wr(int map, uint8_t reg, uint8_t value);
int adv748x_i2c_block_wr(int map, uint8_t reg, const uint8_t* bytes, size_t n);
int adv748x_i2c_rd(int map, uint8_t reg, uint8_t* data);
int adv748x_i2c_block_rd(int map, uint8_t reg, size_t n, uint8_t* data);
