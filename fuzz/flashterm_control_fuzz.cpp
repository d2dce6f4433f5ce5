// FlashTerm's write and control decoding over arbitrary messages. An input is a layout choice
// and a sequence of messages, each a kind (a write, one of the four control commands, or any
// other command code) and a payload handed over in a buffer of exactly its size, so that a read
// outside the message is an ASan report. After every message the terminal state must stay
// consistent: the item list well linked and bounded (the rows plus the hidden bars kept), every
// text NUL-free and fitting its row, bar names unique, refused messages without effect.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "control.h"
#include "flashterm/term_msg.h"
#include "fuzz_root.h"
#include "glyphs.h"
#include "render_context.h"
#include "screen_content.h"
#include "terminal_state.h"
#include "text_chars.h"

namespace {

constexpr int kMargin = 10;  // each side of a text line
constexpr int kWideGlyph = 1000;

struct Layout {
    unsigned width;
    unsigned height;
};
// A few rows (lines are discarded all the time), more rows than any input has bytes (nothing is
// ever discarded, so every line of a write can be counted), and no room at all.
constexpr Layout kLayouts[] = {{200, 120}, {200, 400000}, {8, 120}};
constexpr bool kKeepsEverything[] = {false, true, false};

const int kCommands[] = {DCMD_TERM_SET_STATUS, DCMD_TERM_SET_CLOCK, DCMD_TERM_ADD_BAR, DCMD_TERM_SET_PROGRESS};

// Narrow, zero-width and wider-than-any-line glyphs, so that every way of splitting a line is taken.
void setGlyphs() {
    g_glyphs = {};
    g_glyphs.line_height = 16;
    for (int c = 0; c < 256; ++c) g_glyphs.glyphs[c].advance = c >= 0xF0 ? kWideGlyph : (c % 7) * 3;
}

void clearState() {
    for (ScreenItem* item = g_state.items; item != nullptr;) {
        ScreenItem* next = item->next;
        delete item;
        item = next;
    }
    g_state = TerminalState{};
}

bool hasNoNul(const std::string& text) { return text.find('\0') == std::string::npos; }

struct Census {
    int items = 0;
    int lines = 0;
    int bars = 0;
};

// Walks the list at most limit steps: a cycle or a wrong last pointer is a failed check.
Census checkList(int limit, int usable) {
    Census census;
    const ScreenItem* last = nullptr;
    for (const ScreenItem* item = g_state.items; item != nullptr; item = item->next) {
        FUZZ_CHECK(++census.items <= limit);
        FUZZ_CHECK(hasNoNul(item->text));
        if (item->ref) {
            ++census.bars;
            FUZZ_CHECK(hasNoNul(*item->ref));
        } else {
            ++census.lines;
            FUZZ_CHECK(item->text.find('\n') == std::string::npos);
            bool one_character = item->text.empty() || static_cast<size_t>(next_char(item->text.c_str()).length) ==
                                                           item->text.size();
            FUZZ_CHECK(one_character || text_width(item->text.c_str()) < usable);
        }
        last = item;
    }
    FUZZ_CHECK(g_state.last == last);
    if (g_state.status_text) FUZZ_CHECK(hasNoNul(*g_state.status_text));
    return census;
}

struct Snapshot {
    std::optional<std::string> status;
    int clock_running;
    const ScreenItem* items;
    const ScreenItem* last;
    int count;
    std::optional<int> progress_of_last;

    static Snapshot take() {
        return {g_state.status_text, g_state.clock_running, g_state.items, g_state.last, count_items(),
                g_state.last != nullptr ? std::optional<int>(g_state.last->progress) : std::nullopt};
    }
    bool operator==(const Snapshot& o) const {
        return status == o.status && clock_running == o.clock_running && items == o.items && last == o.last &&
               count == o.count && progress_of_last == o.progress_of_last;
    }
};

// The bar record's reference name when it ends inside the payload.
std::optional<std::string> refOf(const char* payload, size_t size) {
    if (size < sizeof(term_bar_msg_t)) return std::nullopt;
    int32_t offset;
    memcpy(&offset, payload, sizeof offset);
    size_t strings = size - sizeof(term_bar_msg_t);
    if (offset < 0 || static_cast<size_t>(offset) >= strings) return std::nullopt;
    const char* ref = payload + sizeof(term_bar_msg_t) + offset;
    if (memchr(ref, '\0', strings - static_cast<size_t>(offset)) == nullptr) return std::nullopt;
    return std::string(ref);
}

void checkControl(int dcmd, const char* payload, size_t size, const Snapshot& before, int status) {
    bool known = std::find(std::begin(kCommands), std::end(kCommands), dcmd) != std::end(kCommands);
    FUZZ_CHECK(known ? status == EOK || status == EINVAL : status == ENOSYS);
    if (status != EOK) {
        FUZZ_CHECK(Snapshot::take() == before);
        return;
    }
    if (dcmd == DCMD_TERM_SET_CLOCK) {
        int32_t running;
        memcpy(&running, payload, sizeof running);
        FUZZ_CHECK(g_state.clock_running == running);
    } else if (dcmd == DCMD_TERM_SET_STATUS) {
        FUZZ_CHECK(g_state.status_text && *g_state.status_text == payload);
    } else {
        std::optional<std::string> ref = refOf(payload, size);
        FUZZ_CHECK(ref.has_value());
        const ScreenItem* bar = find_bar(ref->c_str());
        if (dcmd == DCMD_TERM_ADD_BAR) {
            FUZZ_CHECK(bar != nullptr);
            int named = 0;
            for (const ScreenItem* item = g_state.items; item != nullptr; item = item->next) named += item->ref == *ref;
            FUZZ_CHECK(named == 1);
        } else if (bar != nullptr) {
            int32_t progress;
            memcpy(&progress, payload + offsetof(term_bar_msg_t, progress), sizeof progress);
            FUZZ_CHECK(bar->progress == progress);
        } else {
            FUZZ_CHECK(Snapshot::take() == before);
        }
    }
}

// One of the four commands, or for kind 5 any code the payload starts with.
int commandOf(uint8_t kind, const char* payload, size_t length) {
    if (kind % 6 != 5) return kCommands[kind % 6 - 1];
    uint32_t code = 0;
    memcpy(&code, payload, std::min(length, sizeof code));
    return static_cast<int>(code);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    setGlyphs();
    create_render_context(kLayouts[0].width, kLayouts[0].height);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    clearState();
    size_t layout = data[0] % (sizeof kLayouts / sizeof kLayouts[0]);
    render_context()->width = kLayouts[layout].width;
    render_context()->height = kLayouts[layout].height;
    int usable = static_cast<int>(kLayouts[layout].width) - 2 * kMargin;
    int rows = std::max(visible_rows(), 0);

    // Each message: kind, 16-bit length, payload; the last one takes what is left.
    size_t at = 1;
    int messages = 0;
    while (at + 3 <= size) {
        uint8_t kind = data[at];
        size_t length = std::min<size_t>(data[at + 1] | data[at + 2] << 8, size - at - 3);
        at += 3;
        ++messages;
        const uint8_t* bytes = data + at;
        at += length;

        Census before = checkList(size + messages, usable);
        bool write = kind % 6 == 0;
        // Exactly the message's bytes; a write's buffer has the one more byte its handler gets.
        std::unique_ptr<char[]> payload(new char[write ? length + 1 : length]);
        memcpy(payload.get(), bytes, length);
        if (write) {
            add_written_text(payload.get(), length);
        } else {
            int dcmd = commandOf(kind, payload.get(), length);
            Snapshot snapshot = Snapshot::take();
            int status = control_apply(dcmd, payload.get(), length);
            checkControl(dcmd, payload.get(), length, snapshot, status);
        }
        Census now = checkList(size + messages, usable);
        FUZZ_CHECK(now.lines <= rows);
        FUZZ_CHECK(now.items <= rows + kKeptHiddenBars);
        // Every row of a split takes at least one byte of the text.
        if (write && kKeepsEverything[layout]) FUZZ_CHECK(now.lines - before.lines <= static_cast<int>(length) + 1);
    }
    return 0;
}
