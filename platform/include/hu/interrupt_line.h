// The raising side of the interrupt substitute, for stand-ins that play hardware.
// An interrupt line is level-triggered: asserted, it wakes its waiter, and it wakes it
// again after every unmask until it is deasserted.
#pragma once

namespace hu::irq {

void assertLine(int intr);
void deassertLine(int intr);
bool isAsserted(int intr);

// A single edge: wakes the waiter once, whatever the line's level.
void pulse(int intr);

}  // namespace hu::irq
