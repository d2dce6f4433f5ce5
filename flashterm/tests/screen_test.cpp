// What FlashTerm puts on the screen, read back from its captured frames under Xvfb.
#include <gtest/gtest.h>

#include <cstdint>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "glyphs.h"
#include "hu/devctl.h"
#include "running_terminal.h"

namespace {

using flashterm_test::kFontPath;
using flashterm_test::RunningTerminal;

constexpr int kW = 1280;
constexpr int kH = 480;
constexpr uint32_t kBackground = 0x6E3B3B;
constexpr uint32_t kStatusLine = 0xC49191;
constexpr uint32_t kWhite = 0xFFFFFF;

uint32_t rgbAt(const hu::png::Image& frame, int x, int gl_y) {
    const uint8_t* p = frame.pixel(static_cast<unsigned>(x), frame.height - 1 - static_cast<unsigned>(gl_y));
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

// The rightmost column in [x_from, x_to) whose pixels in rows [gl_bottom, gl_top) are not
// all `plain`; -1 when there is none.
int rightmostInk(const hu::png::Image& frame, int gl_bottom, int gl_top, uint32_t plain, int x_from = 0,
                 int x_to = -1) {
    if (x_to < 0) x_to = static_cast<int>(frame.width);
    for (int x = x_to - 1; x >= x_from; --x) {
        for (int y = gl_bottom; y < gl_top; ++y) {
            if (rgbAt(frame, x, y) != plain) return x;
        }
    }
    return -1;
}

bool anyPixelOf(const hu::png::Image& frame, int x_from, int x_to, int gl_bottom, int gl_top, uint32_t rgb) {
    for (int x = x_from; x < x_to; ++x) {
        for (int y = gl_bottom; y < gl_top; ++y) {
            if (rgbAt(frame, x, y) == rgb) return true;
        }
    }
    return false;
}

// Length of the run of `rgb` starting at x = 10 in row gl_y.
int runFrom10(const hu::png::Image& frame, int gl_y, uint32_t rgb) {
    int x = 10;
    while (x < static_cast<int>(frame.width) && rgbAt(frame, x, gl_y) == rgb) ++x;
    return x - 10;
}

// Whether columns [x_from, x_to) of the rows from gl_a and from gl_b (rows_high each) match.
bool sameRows(const hu::png::Image& frame, int x_from, int x_to, int gl_a, int gl_b, int rows_high) {
    for (int y = 0; y < rows_high; ++y) {
        for (int x = x_from; x < x_to; ++x) {
            if (rgbAt(frame, x, gl_a + y) != rgbAt(frame, x, gl_b + y)) return false;
        }
    }
    return true;
}

// The lowest and highest rows in [gl_bottom, gl_top) with a pixel other than `plain` in
// columns [x_from, x_to); {-1, -1} when there is none.
std::pair<int, int> inkRows(const hu::png::Image& frame, int x_from, int x_to, int gl_bottom, int gl_top,
                            uint32_t plain) {
    std::pair<int, int> rows = {-1, -1};
    for (int y = gl_bottom; y < gl_top; ++y) {
        for (int x = x_from; x < x_to; ++x) {
            if (rgbAt(frame, x, y) == plain) continue;
            if (rows.first < 0) rows.first = y;
            rows.second = y;
            break;
        }
    }
    return rows;
}

// The layout, computed from the real font's metrics.
class TerminalScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        load_font(kFontPath);
        std::vector<uint8_t> atlas;
        rasterise_glyphs(12, &atlas);
        release_font();
    }
    static int lh() { return g_glyphs.line_height; }
    static int pitch() { return lh() + 4; }
    static int rowY(int k, int height = kH) { return height - (k + 2) * pitch(); }
    static const GlyphInfo& glyph(char c) { return g_glyphs.glyphs[static_cast<unsigned char>(c)]; }
    // Right edge (exclusive) of the ink of text drawn at x.
    static int inkEnd(int x, const std::string& text) {
        return x + text_width(text.substr(0, text.size() - 1).c_str()) + glyph(text.back()).bearing_x +
               glyph(text.back()).width;
    }
    static int barLength(int width, int progress) {
        return static_cast<int>(barRoom(width) * (progress / 100.0));
    }

    static int barRoom(int width) { return width - text_width("00:00:00") - text_width("100% ") - 40; }
    static int timeX(int width = kW) { return width - 10 - text_width("00:00:00"); }
    static int valueX(int width = kW) { return timeX(width) - text_width("100% "); }

    static hu::png::Image frameAfterTick(RunningTerminal& terminal) {
        EXPECT_TRUE(terminal.nextTick());
        return terminal.frame();
    }
};

TEST_F(TerminalScreen, BackgroundFillsTheCornersInTheChosenColour) {
    struct Case {
        std::vector<std::string> args;
        uint32_t background;
    } cases[] = {{{}, kBackground}, {{"-B", "123456"}, 0x123456}, {{"-B", "zz"}, kBackground}};
    for (const Case& c : cases) {
        RunningTerminal terminal(c.args);
        ASSERT_TRUE(terminal.up()) << terminal.log();
        hu::png::Image frame = frameAfterTick(terminal);
        ASSERT_EQ(frame.width, static_cast<unsigned>(kW));
        ASSERT_EQ(frame.height, static_cast<unsigned>(kH));
        for (auto [x, y] : {std::pair{0, 0}, {kW - 1, 0}, {0, kH - 1}, {kW - 1, kH - 1}}) {
            EXPECT_EQ(rgbAt(frame, x, y), c.background) << "corner " << x << "," << y;
        }
    }
}

TEST_F(TerminalScreen, StatusBandShowsOnlyFlashingTimeAndTheClockAtTheRightBeforeAnyStatus) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    hu::png::Image frame = frameAfterTick(terminal);
    int band = kH - lh();
    // The band: x 10 to W - 10, the top LH rows; its bottom rows carry no ink.
    EXPECT_EQ(rgbAt(frame, 10, band), kStatusLine);
    EXPECT_EQ(rgbAt(frame, kW - 11, band), kStatusLine);
    EXPECT_EQ(rgbAt(frame, 15, kH - 1), kStatusLine);
    EXPECT_EQ(rgbAt(frame, 9, band), kBackground);
    EXPECT_EQ(rgbAt(frame, kW - 10, band), kBackground);
    EXPECT_EQ(rgbAt(frame, 15, band - 1), kBackground);

    int clock_x = kW - 10 - text_width("00:00:00");
    int label_x = clock_x - text_width("Flashing Time ");
    EXPECT_TRUE(anyPixelOf(frame, clock_x, kW - 10, band, kH, kWhite)) << "clock";
    EXPECT_TRUE(anyPixelOf(frame, label_x, clock_x, band, kH, kWhite)) << "label";
    EXPECT_EQ(rightmostInk(frame, band, kH, kStatusLine, 10, kW - 10), inkEnd(clock_x, "00:00:00") - 1);
    EXPECT_EQ(rightmostInk(frame, band, kH, kStatusLine, 10, label_x), -1) << "no status text";
}

TEST_F(TerminalScreen, LinesAndBarsSitInTheirRowsAndBarsGrowWithProgress) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    const std::vector<std::string> lines = {"MM", "MMM", "MMMM"};
    ASSERT_EQ(terminal.write("MM\nMMM\nMMMM"), 11);
    const int progress[] = {0, 50, 100};
    for (int p : progress) ASSERT_EQ(terminal.addBar("b" + std::to_string(p), "BAR", p), EOK);
    hu::png::Image frame = frameAfterTick(terminal);

    for (int k = 0; k < 3; ++k) {
        int y = rowY(k);
        EXPECT_EQ(rightmostInk(frame, y, y + lh(), kBackground), inkEnd(10, lines[k]) - 1) << "line " << k;
        EXPECT_EQ(rightmostInk(frame, y + lh(), y + pitch(), kBackground), -1) << "gap above line " << k;
    }
    for (int i = 0; i < 3; ++i) {
        int y = rowY(3 + i);
        EXPECT_EQ(runFrom10(frame, y, kWhite), barLength(kW, progress[i])) << "progress " << progress[i];
        int time_x = kW - 10 - text_width("00:00:00");
        EXPECT_TRUE(anyPixelOf(frame, time_x, kW - 10, y, y + lh(), kWhite)) << "time of bar " << i;
        EXPECT_TRUE(anyPixelOf(frame, time_x - text_width("100% "), time_x, y, y + lh(), kWhite)) << "percentage";
    }
}

TEST_F(TerminalScreen, StatusTextStaysInsideItsBandAndStopsShortOfTheClock) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    hu::png::Image plain = frameAfterTick(terminal);
    const int band = kH - lh();
    const int label_x = timeX() - text_width("Flashing Time ");

    // Accented capitals and brackets keep every row of their ink, all of it on the band.
    const std::string tall = "\xC3\x84\xC3\x89[{g";  // ÄÉ[{g in UTF-8
    ASSERT_EQ(terminal.setStatus(tall), EOK);
    hu::png::Image frame = frameAfterTick(terminal);
    int top = 0, bottom = 0;
    for (char c : std::string("\xC4\xC9[{g")) {
        top = std::max(top, glyph(c).bearing_y);
        bottom = std::min(bottom, glyph(c).bearing_y - glyph(c).height);
    }
    std::pair<int, int> ink = inkRows(frame, 20, 20 + text_width(tall.c_str()), band, kH, kStatusLine);
    EXPECT_EQ(ink.second - ink.first + 1, top - bottom) << "rows cut off";
    EXPECT_EQ(inkRows(frame, 20, 20 + text_width(tall.c_str()), band - 5, band, kBackground).first, -1)
        << "ink below the band";
    EXPECT_TRUE(sameRows(frame, label_x, kW, band, band, lh())) << "label and clock in place";
    for (int x = label_x; x < kW; ++x) {
        for (int y = band; y < kH; ++y) ASSERT_EQ(rgbAt(frame, x, y), rgbAt(plain, x, y)) << x << "," << y;
    }

    // A status too long for its place ends a space short of the label and leaves it alone.
    ASSERT_EQ(terminal.setStatus(std::string(300, 'M')), EOK);
    frame = frameAfterTick(terminal);
    int status_end = rightmostInk(frame, band, kH, kStatusLine, 10, label_x);
    EXPECT_LT(status_end, label_x - text_width(" "));
    EXPECT_GT(status_end, label_x - text_width(" ") - 2 * text_width("M"));
    for (int x = label_x; x < kW; ++x) {
        for (int y = band; y < kH; ++y) ASSERT_EQ(rgbAt(frame, x, y), rgbAt(plain, x, y)) << x << "," << y;
    }
}

TEST_F(TerminalScreen, ProgressIsDrawnAndShownWithinZeroToHundred) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    const int32_t progress[] = {100, 150, 1000, INT32_MAX, 0, -20, INT32_MIN};
    for (int32_t p : progress) ASSERT_EQ(terminal.addBar("b" + std::to_string(p), "", p), EOK);
    hu::png::Image frame = frameAfterTick(terminal);
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(progress[i]);
        int y = rowY(i);
        bool full = progress[i] > 0;
        EXPECT_EQ(runFrom10(frame, y, kWhite), full ? barLength(kW, 100) : 0);
        // The value column shows what the 100 % or the 0 % bar shows.
        EXPECT_TRUE(sameRows(frame, valueX(), timeX(), y, rowY(full ? 0 : 4), lh()));
        EXPECT_TRUE(anyPixelOf(frame, valueX(), timeX(), y, y + lh(), kBackground)) << "value on the background";
    }
    EXPECT_NE(terminal.state().find("bar b150\t\t150\t"), std::string::npos) << "stored as received";
}

TEST_F(TerminalScreen, BarNamesReadAtAnyProgressAndStopShortOfTheValues) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    const std::string name(12, 'M');
    ASSERT_EQ(terminal.addBar("started", name, 2), EOK);
    ASSERT_EQ(terminal.addBar("half", name, 10), EOK);
    ASSERT_EQ(terminal.addBar("long", std::string(200, 'W'), 50), EOK);
    hu::png::Image frame = frameAfterTick(terminal);
    const uint32_t kBlack = 0x000000;
    for (int k : {0, 1}) {
        int y = rowY(k);
        int band_end = 10 + barLength(kW, k == 0 ? 2 : 10);
        int name_end = inkEnd(20, name);
        ASSERT_LT(band_end, name_end);
        EXPECT_TRUE(anyPixelOf(frame, 20, band_end, y, y + lh(), kBlack)) << "name over the band in black " << k;
        EXPECT_TRUE(anyPixelOf(frame, band_end, name_end, y, y + lh(), kWhite)) << "name beside the band in white";
        EXPECT_FALSE(anyPixelOf(frame, band_end, name_end, y, y + lh(), kBlack)) << "no black on the background";
    }
    int y = rowY(2);
    int limit = valueX() - text_width(" ");
    int name_ink = rightmostInk(frame, y, y + lh(), kBackground, 10 + barLength(kW, 50), valueX());
    EXPECT_LT(name_ink, limit);
    EXPECT_GT(name_ink, limit - 2 * text_width("W"));
}

TEST_F(TerminalScreen, PercentSignsEndInOneColumn) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    const int progress[] = {100, 45, 7, 0, 11};
    for (int p : progress) ASSERT_EQ(terminal.addBar("b" + std::to_string(p), "", p), EOK);
    hu::png::Image frame = frameAfterTick(terminal);
    int column = inkEnd(valueX(), "100%") - 1;
    for (int i = 0; i < 5; ++i) {
        int y = rowY(i);
        EXPECT_EQ(rightmostInk(frame, y, y + lh(), kBackground, valueX(), timeX()), column) << progress[i];
    }
}

TEST_F(TerminalScreen, Utf8TabsAndControlCharactersAreDrawnAsText) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    const std::string lines[] = {
        "Gr\xC3\xBC\xC3\x9F" "e",  // UTF-8
        "Gr\xFC\xDF" "e",            // the same in Latin-1
        "A\x01\x1B\x7F" "B",        // controls between
        "AB",
        "\tB",
    };
    for (const std::string& line : lines) ASSERT_EQ(terminal.write(line + "\n"), static_cast<ssize_t>(line.size() + 1));
    hu::png::Image frame = frameAfterTick(terminal);
    EXPECT_TRUE(sameRows(frame, 0, kW, rowY(0), rowY(1), lh())) << "UTF-8 as Latin-1";
    EXPECT_EQ(rightmostInk(frame, rowY(0), rowY(0) + lh(), kBackground), inkEnd(10, lines[1]) - 1);
    EXPECT_TRUE(sameRows(frame, 0, kW, rowY(2), rowY(3), lh())) << "controls draw nothing";
    int tab_stop = 8 * text_width(" ");
    std::pair<int, int> ink = inkRows(frame, 0, 10 + tab_stop + glyph('B').bearing_x, rowY(4), rowY(4) + lh(),
                                      kBackground);
    EXPECT_EQ(ink.first, -1) << "nothing before the tab stop";
    EXPECT_EQ(rightmostInk(frame, rowY(4), rowY(4) + lh(), kBackground), inkEnd(10 + tab_stop, "B") - 1);
}

TEST_F(TerminalScreen, HalfWidthLaysEverythingOutInTheLeftHalf) {
    RunningTerminal terminal({"-R"});
    ASSERT_TRUE(terminal.up()) << terminal.log();
    ASSERT_EQ(terminal.addBar("full", "BAR", 100), EOK);
    hu::png::Image frame = frameAfterTick(terminal);
    const int w = kW / 2;
    EXPECT_EQ(rightmostInk(frame, 0, kH, kBackground, w), -1) << "right half is background only";
    EXPECT_EQ(rgbAt(frame, w - 11, kH - lh()), kStatusLine);
    EXPECT_EQ(rgbAt(frame, w - 10, kH - lh()), kBackground);
    EXPECT_EQ(runFrom10(frame, rowY(0), kWhite), barLength(w, 100));
}

TEST_F(TerminalScreen, LogoIsCentredWithItsFirstRowAtTheTop) {
    hu::testing::TempRoot files;
    hu::png::Image logo;
    logo.width = 300;
    logo.height = 100;
    logo.rgba.resize(300 * 100 * 4);
    for (unsigned y = 0; y < 100; ++y) {
        for (unsigned x = 0; x < 300; ++x) {
            uint8_t* p = &logo.rgba[(y * 300 + x) * 4];
            p[0] = y == 0 ? 0 : 255;
            p[2] = y == 0 ? 255 : 0;
            p[3] = 255;
        }
    }
    std::string logo_path = files.path() + "/logo.png";
    ASSERT_TRUE(hu::png::writeAtomically(logo_path, logo));

    RunningTerminal terminal({"-l", logo_path, "-t", "100"});
    ASSERT_TRUE(terminal.up()) << terminal.log();
    hu::png::Image frame = terminal.frame();
    const int left = (kW - 300) / 2, bottom = (kH - 100) / 2;
    EXPECT_EQ(rgbAt(frame, left, bottom + 99), 0x0000FFu) << "image row 0 on top";
    EXPECT_EQ(rgbAt(frame, left + 299, bottom + 98), 0xFF0000u);
    EXPECT_EQ(rgbAt(frame, left, bottom), 0xFF0000u);
    EXPECT_EQ(rgbAt(frame, left - 1, bottom + 50), 0u);
    EXPECT_EQ(rgbAt(frame, left + 300, bottom + 50), 0u);
    EXPECT_EQ(rgbAt(frame, left + 150, bottom - 1), 0u);
    EXPECT_EQ(rgbAt(frame, left + 150, bottom + 100), 0u);
}

TEST_F(TerminalScreen, OnlyTheNewestRowsAreShown) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    const int rows = kH / pitch() - 1;
    const int extra = 3;
    std::string text;
    for (int i = 0; i < rows + extra; ++i) text += std::string(static_cast<size_t>(i + 1), 'M') + "\n";
    ASSERT_EQ(terminal.write(text), static_cast<ssize_t>(text.size()));
    hu::png::Image frame = frameAfterTick(terminal);
    for (int k : {0, rows - 1}) {
        std::string shown(static_cast<size_t>(k + extra + 1), 'M');
        EXPECT_EQ(rightmostInk(frame, rowY(k), rowY(k) + lh(), kBackground), inkEnd(10, shown) - 1) << "row " << k;
    }
    EXPECT_EQ(rightmostInk(frame, 0, rowY(rows - 1), kBackground), -1) << "nothing below the last row";

    // Lines that scrolled off are gone from memory too; bars are kept for their names.
    ASSERT_EQ(terminal.addBar("bar", "BAR", 1), EOK);
    ASSERT_EQ(terminal.write("after"), 5);
    ASSERT_TRUE(terminal.nextTick());
    std::string dump = terminal.state();
    size_t kept = 0;
    for (size_t at = dump.find("\nline "); at != std::string::npos; at = dump.find("\nline ", at + 1)) ++kept;
    EXPECT_EQ(kept, static_cast<size_t>(rows - 1));
    EXPECT_NE(dump.find("\nbar bar\t"), std::string::npos);
}

TEST_F(TerminalScreen, AScreenOfUnknownSizeGetsA1280By480Window) {
    setenv("HU_SCREEN_SIZE", "unknown", 1);
    RunningTerminal terminal({}, 1600, 900);
    unsetenv("HU_SCREEN_SIZE");
    ASSERT_TRUE(terminal.up()) << terminal.log();
    hu::png::Image frame = frameAfterTick(terminal);
    EXPECT_EQ(frame.width, 1280u);
    EXPECT_EQ(frame.height, 480u);
    EXPECT_NE(terminal.log().find("[FlashTerm] ERROR: SCREEN_PROPERTY_SIZE\n"), std::string::npos);
    EXPECT_NE(terminal.log().find("[FlashTerm] Viewport size got (0, 0, 1280, 480)\n"), std::string::npos);
}

}  // namespace
