#include "screen_content.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "glyphs.h"
#include "render_context.h"
#include "terminal_state.h"
#include "text_chars.h"

namespace {

constexpr int kMargin = 10;       // text lines, bands, right edge of clocks and times
constexpr int kNameX = 20;        // status text and bar names
constexpr int kStatusBaseline = 2;
constexpr int kRowGap = 4;
constexpr int kBarReserve = 40;
const char kFlashingTime[] = "Flashing Time ";
const char kFullPercent[] = "100% ";
const Colour kWhite = {1, 1, 1};

int layout_width() { return static_cast<int>(render_context()->width); }
int layout_height() { return static_cast<int>(render_context()->height); }
int row_pitch() { return g_glyphs.line_height + kRowGap; }

void draw_text_in(float x, float y, const char* text, const Colour& colour) {
    draw_text(x, y, text, colour.red, colour.green, colour.blue);
}

// The leading characters of text that fit in width, kept on one row.
std::string cut_to(const char* text, int width) {
    return std::string(text, static_cast<size_t>(fit_in_row(text, std::max(width, 0))));
}

// Bottom of the status texts: 2 pixels above the band's bottom as long as the font leaves that
// much room; a taller font (accents on capitals) moves down until its highest ink meets the
// top of the screen.
int status_text_y(int height) {
    return std::min(height - g_glyphs.line_height + kStatusBaseline, height - ink_top() + g_glyphs.descender);
}

void draw_status_line(const Colour& status_line) {
    int width = layout_width();
    int height = layout_height();
    int line_height = g_glyphs.line_height;
    fill_bar(static_cast<float>(height - line_height), static_cast<float>(width - 2 * kMargin), status_line.red,
             status_line.green, status_line.blue);
    float y = static_cast<float>(status_text_y(height));
    char clock[10];
    time_text(g_state.flash_seconds, clock);
    int clock_x = width - kMargin - text_width(clock);
    int label_x = clock_x - text_width(kFlashingTime);
    // A status too long for its place stops a space short of the label.
    std::string status = cut_to(g_state.status_text ? g_state.status_text->c_str() : "",
                                label_x - kNameX - text_width(" "));
    draw_text_in(kNameX, y, status.c_str(), kWhite);
    draw_text_in(static_cast<float>(clock_x), y, clock, kWhite);
    draw_text_in(static_cast<float>(label_x), y, kFlashingTime, kWhite);
}

// The name over the band in the bar name colour, the rest of it over the background in the
// foreground colour, so that it reads at any progress; cut a space short of the value column.
void draw_bar_name(float y, const std::string& name, int band_end, int value_x, const Colour& foreground,
                   const Colour& bar_name) {
    std::string shown = cut_to(name.c_str(), value_x - kNameX - text_width(" "));
    clip_columns(0, band_end);
    draw_text_in(kNameX, y, shown.c_str(), bar_name);
    clip_columns(band_end, layout_width());
    draw_text_in(kNameX, y, shown.c_str(), foreground);
    end_clip();
}

void draw_progress_bar(float y, const ScreenItem& bar, const Colour& foreground, const Colour& bar_name) {
    int width = layout_width();
    // What is shown stays within 0..100 %, whatever a client sent.
    int progress = std::clamp(bar.progress, 0, 100);
    char percent[8];
    snprintf(percent, sizeof percent, "%d%%", progress);
    char time[10];
    time_text(bar.elapsed, time);
    int time_x = width - kMargin - text_width(time);
    int value_x = time_x - text_width(kFullPercent);
    int room = std::max(0, width - text_width(time) - text_width(kFullPercent) - kBarReserve);
    int length = static_cast<int>(room * (progress / 100.0));
    fill_bar(y, static_cast<float>(length), foreground.red, foreground.green, foreground.blue);
    draw_bar_name(y, bar.text, kMargin + length, value_x, foreground, bar_name);
    draw_text_in(static_cast<float>(time_x), y, time, foreground);
    // Right-aligned by drawn width: every percent sign ends where the one of "100% " does.
    draw_text_in(static_cast<float>(time_x - text_width(" ") - text_width(percent)), y, percent, foreground);
}

}  // namespace

void add_text(const char* text) {
    int usable = layout_width() - 2 * kMargin;
    const char* rest = text;
    for (;;) {
        size_t length = strlen(rest);
        size_t n = static_cast<size_t>(fit_count(rest, usable));
        if (n == length) {
            if (length > 0) append_text_line(rest);
            return;
        }
        char cut = rest[n];
        const char* space = nullptr;
        if (cut != '\n') {
            for (size_t i = n; i-- > 0;) {
                if (rest[i] == ' ') {
                    space = rest + i;
                    break;
                }
            }
        }
        if (space != nullptr) {
            append_text_line(std::string(rest, space));
            rest = space + 1;
        } else if (n == 0 && cut != '\n') {
            // A character as wide as the whole line gets a line of its own, so the split goes on.
            size_t first = static_cast<size_t>(next_char(rest).length);
            append_text_line(std::string(rest, first));
            rest += first + (rest[first] == '\n' ? 1 : 0);
        } else {
            append_text_line(std::string(rest, n));
            rest += n + (cut == '\n' ? 1 : 0);
        }
    }
}

void time_text(int seconds, char buffer[10]) {
    char full[48];
    snprintf(full, sizeof full, "%02d:%02d:%02d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    full[9] = '\0';
    memcpy(buffer, full, 10);
}

int visible_rows() { return layout_height() / row_pitch() - 1; }

void redraw(const Colour& background, const Colour& foreground, const Colour& status_line, const Colour& bar_name) {
    int width = layout_width();
    int height = layout_height();
    glViewport(0, 0, width, height);
    glClearColor(background.red, background.green, background.blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_status_line(status_line);

    int rows = visible_rows();
    int skip = count_items() - std::max(rows, 0);
    int k = 0;
    for (const ScreenItem* item = g_state.items; item != nullptr; item = item->next) {
        if (skip-- > 0) continue;
        float y = static_cast<float>(height - (k + 2) * row_pitch());
        if (item->ref) {
            draw_progress_bar(y, *item, foreground, bar_name);
        } else {
            draw_text_in(kMargin, y, item->text.c_str(), foreground);
        }
        ++k;
    }
    present();
}
