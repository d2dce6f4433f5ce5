// For tests: after every tick the terminal state is written, as text, to the file that
// FLASHTERM_STATE_DUMP names (atomically replaced). Nothing happens when it is unset.
#pragma once

void dump_state();
