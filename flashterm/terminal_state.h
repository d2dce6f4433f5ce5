// What the terminal shows: the status text, the flashing clock and the list of text lines
// and progress bars, in arrival order. Used by the dispatch thread only.
#pragma once

#include <optional>
#include <string>

struct ScreenItem {
    std::optional<std::string> ref;  // present for a progress bar: its identity
    std::string text;                // the text line, or the bar's display name
    int progress = 0;                // bars: percentage as received
    int elapsed = 0;                 // bars: seconds counted while progress <= 99
    ScreenItem* next = nullptr;
};

struct TerminalState {
    std::optional<std::string> status_text;
    int flash_seconds = 0;
    int clock_running = 0;
    int tick_count = 0;
    ScreenItem* items = nullptr;  // oldest first
    ScreenItem* last = nullptr;
};

extern TerminalState g_state;

void append_text_line(const std::string& text);
void append_bar(const std::string& ref, const std::string& name, int progress);
// The bar with this reference name (exact comparison), or null.
ScreenItem* find_bar(const char* ref);
int count_items();

// Hidden bars kept beyond the visible rows: enough for any flashing session, and a bound for a
// client that creates bar after bar.
constexpr int kKeptHiddenBars = 256;

// Frees items that can never be shown again, among those older than the newest visible_rows:
// every text line, and the bars beyond the newest kKeptHiddenBars of them. The kept bars go on
// answering to their names.
void discard_hidden_items(int visible_rows);
