// OMAP5 GPIO set-up of the receiver's two interrupt request lines (GPIO8 pins 9 and 10,
// high-level interrupts), on the system-on-chip's control and GPIO registers.
#pragma once

#include <cstdint>

// Maps the GPIO8 block after checking the silicon revision and the block's clock; 0 or an
// errno value. *gpio8 receives the mapped block.
int gpio_init(uintptr_t* gpio8);
// Configures INTRQ line 1 or 2 on the mapped block; 0 or an errno value.
int gpio_init_intrq(uintptr_t gpio8, int intrq);
void gpio_fini(uintptr_t gpio8);
