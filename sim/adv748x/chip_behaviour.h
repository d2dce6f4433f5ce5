// The chip's own reactions to register writes beyond plain storage.
#pragma once

#include <functional>

#include "chip_model.h"

namespace adv748x_sim {

// IO 0xFF <- 0xFF resets the chip (on_reset runs after the registers are back to reset
// values); enabling port A's EDID access (REP 0x74 bit 0) shows in REP 0x76 and makes the
// EDID ready (CBUS 0x02 bit 3).
void installChipBehaviour(ChipModel& chip, std::function<void()> on_reset);

}  // namespace adv748x_sim
