#include "state_dump.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "terminal_state.h"

// One field per line: "tick_count N", "flash_seconds N", "clock_running N",
// "status TEXT" (absent while none was set), then per item in list order
// "line TEXT" or "bar REF\tNAME\tPROGRESS\tELAPSED".
void dump_state() {
    const char* path = std::getenv("FLASHTERM_STATE_DUMP");
    if (path == nullptr || *path == '\0') return;
    std::string dump = "tick_count " + std::to_string(g_state.tick_count) + "\nflash_seconds " +
                       std::to_string(g_state.flash_seconds) + "\nclock_running " +
                       std::to_string(g_state.clock_running) + "\n";
    if (g_state.status_text) dump += "status " + *g_state.status_text + "\n";
    for (const ScreenItem* item = g_state.items; item != nullptr; item = item->next) {
        if (item->ref) {
            dump += "bar " + *item->ref + "\t" + item->text + "\t" + std::to_string(item->progress) + "\t" +
                    std::to_string(item->elapsed) + "\n";
        } else {
            dump += "line " + item->text + "\n";
        }
    }
    std::string temporary = std::string(path) + ".tmp";
    FILE* file = fopen(temporary.c_str(), "w");
    if (file == nullptr) return;
    bool written = fwrite(dump.data(), 1, dump.size(), file) == dump.size();
    written = fclose(file) == 0 && written;
    if (!written || rename(temporary.c_str(), path) != 0) unlink(temporary.c_str());
}
