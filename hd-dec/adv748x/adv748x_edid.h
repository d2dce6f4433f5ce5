// The receiver's EDID: an EDID 1.3 base block and a CEA-861 audio extension.
#pragma once

#include <cstdint>

#define ADV748X_EDID_SIZE 256

extern const uint8_t adv748x_edid[ADV748X_EDID_SIZE];
