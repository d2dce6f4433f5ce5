#include "terminal_state.h"

#include <cstring>

TerminalState g_state;

namespace {

void append(ScreenItem* item) {
    if (g_state.last != nullptr) {
        g_state.last->next = item;
    } else {
        g_state.items = item;
    }
    g_state.last = item;
}

}  // namespace

void append_text_line(const std::string& text) {
    auto* item = new ScreenItem;
    item->text = text;
    append(item);
}

void append_bar(const std::string& ref, const std::string& name, int progress) {
    auto* item = new ScreenItem;
    item->ref = ref;
    item->text = name;
    item->progress = progress;
    append(item);
}

ScreenItem* find_bar(const char* ref) {
    for (ScreenItem* item = g_state.items; item != nullptr; item = item->next) {
        if (item->ref && *item->ref == ref) return item;
    }
    return nullptr;
}

int count_items() {
    int count = 0;
    for (ScreenItem* item = g_state.items; item != nullptr; item = item->next) ++count;
    return count;
}

void discard_hidden_items(int visible_rows) {
    int hidden = count_items() - (visible_rows > 0 ? visible_rows : 0);
    int hidden_bars = 0;
    int walked = 0;
    for (const ScreenItem* item = g_state.items; item != nullptr && walked < hidden; item = item->next, ++walked) {
        if (item->ref) ++hidden_bars;
    }
    int bars_to_drop = hidden_bars - kKeptHiddenBars;
    ScreenItem** link = &g_state.items;
    ScreenItem* previous = nullptr;
    while (hidden-- > 0 && *link != nullptr) {
        ScreenItem* item = *link;
        if (item->ref && bars_to_drop <= 0) {
            previous = item;
            link = &item->next;
            continue;
        }
        if (item->ref) --bars_to_drop;
        *link = item->next;
        if (g_state.last == item) g_state.last = previous;
        delete item;
    }
}
