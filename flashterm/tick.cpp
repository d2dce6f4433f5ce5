#include "tick.h"

#include "options.h"
#include "screen_content.h"
#include "state_dump.h"
#include "terminal_state.h"

int on_tick(message_context_t* /*ctp*/, int /*code*/, unsigned /*flags*/, void* /*handle*/) {
    g_state.tick_count += 1;
    if (g_state.clock_running != 0) g_state.flash_seconds += 1;
    for (ScreenItem* item = g_state.items; item != nullptr; item = item->next) {
        if (item->ref && item->progress <= 99) item->elapsed += 1;
    }
    if (g_options.logo_path == nullptr || g_state.tick_count >= g_options.logo_time) {
        redraw(colour_of(g_options.background), colour_of(g_options.foreground), colour_of(g_options.status_line),
               colour_of(g_options.bar_name));
    }
    dump_state();
    return 0;
}
