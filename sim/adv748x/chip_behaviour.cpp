#include "chip_behaviour.h"

namespace adv748x_sim {

void installChipBehaviour(ChipModel& chip, std::function<void()> on_reset) {
    chip.onWrite(IO, 0xFF, [&chip, on_reset](uint8_t value) {
        if (value != 0xFF) return;
        chip.reset();
        on_reset();
    });
    chip.onWrite(REP, 0x74, [&chip](uint8_t value) {
        bool on = value & 0x01;
        chip.poke(REP, 0x76, static_cast<uint8_t>((chip.peek(REP, 0x76) & ~0x01) | (on ? 0x01 : 0x00)));
        chip.poke(CBUS, 0x02, static_cast<uint8_t>((chip.peek(CBUS, 0x02) & ~0x08) | (on ? 0x08 : 0x00)));
    });
}

}  // namespace adv748x_sim
