// Line splitting, fit count and the glyph table with the real font metrics; the time text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "glyphs.h"
#include "render_context.h"
#include "screen_content.h"
#include "terminal_state.h"
#include "text_chars.h"

namespace {

const char kFontPath[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr unsigned kWidth = 400;  // usable width 380

class TerminalLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        load_font(kFontPath);
        std::vector<uint8_t> atlas;
        rasterise_glyphs(12, &atlas);
        release_font();
        create_render_context(kWidth, 480);
    }

    void SetUp() override {
        while (g_state.items != nullptr) {
            ScreenItem* next = g_state.items->next;
            delete g_state.items;
            g_state.items = next;
        }
        g_state.last = nullptr;
    }

    static std::vector<std::string> lines() {
        std::vector<std::string> texts;
        for (const ScreenItem* item = g_state.items; item != nullptr; item = item->next) texts.push_back(item->text);
        return texts;
    }

    // A run of 'M' as wide as possible while staying at most width pixels wide.
    static std::string widestRun(int width) {
        std::string run;
        while (text_width((run + "M").c_str()) <= width) run += "M";
        return run;
    }
};

TEST_F(TerminalLayout, TwelvePointsAt120DpiMakeTwentyPixelCellsInA512Atlas) {
    EXPECT_EQ(g_glyphs.atlas_width, 512);
    EXPECT_EQ(g_glyphs.atlas_height, 512);
    EXPECT_EQ(g_glyphs.line_height, 23);
    EXPECT_LT(g_glyphs.descender, 0);
    const GlyphInfo& a = g_glyphs.glyphs[static_cast<unsigned char>('A')];
    EXPECT_EQ(a.cell_x, ('A' % 16) * 20);
    EXPECT_EQ(a.cell_y, ('A' / 16) * 20);
    EXPECT_GT(a.advance, 0);
}

TEST_F(TerminalLayout, FitCountTakesABytesOnlyWhileItsAdvanceIsBelowWhatRemains) {
    int m = text_width("M");
    struct Case {
        const char* text;
        int width;
        int expected;
    } cases[] = {
        {"", 100, 0},
        {"\nMM", 100, 0},
        {"MM\nMM", 1000, 2},
        {"MMM", 3 * m, 2},      // exactly as wide: the last byte does not fit
        {"MMM", 3 * m + 1, 3},
        {"M", m, 0},
        {"M", 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(fit_count(c.text, c.width), c.expected) << '"' << c.text << "\" in " << c.width;
}

TEST_F(TerminalLayout, TextSplitsAtNewlinesWordsAndWhereAWordStopsFitting) {
    const int usable = kWidth - 20;
    std::string full = widestRun(usable - 1);  // fits: every advance stays below what remains
    std::string too_long = full + "MMM";
    struct Case {
        std::string text;
        std::vector<std::string> expected;
    } cases[] = {
        {"abc\n", {"abc"}},
        {"\n\n", {"", ""}},
        {"one\ntwo", {"one", "two"}},
        {"", {}},
        {too_long, {full, "MMM"}},
        {"MM " + full, {"MM", full}},
        {full.substr(0, full.size() - 3) + " MMMMMM", {full.substr(0, full.size() - 3), "MMMMMM"}},
    };
    for (const Case& c : cases) {
        SetUp();
        add_text(c.text.c_str());
        EXPECT_EQ(lines(), c.expected) << '"' << c.text << '"';
    }
}

TEST_F(TerminalLayout, TextExactlyAsWideAsTheLineIsSplitBeforeItsLastByte) {
    std::string run = widestRun(kWidth - 20);
    // Pad so that the text is exactly as wide as the usable width.
    std::string exact = run;
    int missing = static_cast<int>(kWidth - 20) - text_width(exact.c_str());
    for (char c : std::string("il.,:;|!'")) {
        while (missing > 0 && text_width(std::string(1, c).c_str()) <= missing) {
            exact += c;
            missing -= text_width(std::string(1, c).c_str());
        }
    }
    ASSERT_EQ(text_width(exact.c_str()), static_cast<int>(kWidth - 20));
    add_text(exact.c_str());
    EXPECT_EQ(lines(), (std::vector<std::string>{exact.substr(0, exact.size() - 1), exact.substr(exact.size() - 1)}));
}

TEST_F(TerminalLayout, AByteWiderThanTheLineStillAdvancesTheSplit) {
    render_context()->width = 25;  // usable width 5: no letter fits
    add_text("MW\nab");
    render_context()->width = kWidth;
    EXPECT_EQ(lines(), (std::vector<std::string>{"M", "W", "a", "b"}));
}

// A client that keeps creating bars must not grow the terminal without bound: of the items
// scrolled off, text lines go and only the newest kKeptHiddenBars bars stay findable.
TEST_F(TerminalLayout, HiddenItemsGoExceptTheNewestHiddenBars) {
    constexpr int kRows = 5;
    constexpr int kBars = kKeptHiddenBars + 100;
    for (int i = 0; i < kBars; ++i) {
        append_bar("bar" + std::to_string(i), "name", i);
        append_text_line("line" + std::to_string(i));
    }
    discard_hidden_items(kRows);

    int bars = 0;
    int text_lines = 0;
    const ScreenItem* last = nullptr;
    for (const ScreenItem* item = g_state.items; item != nullptr; item = item->next) {
        (item->ref ? bars : text_lines) += 1;
        last = item;
    }
    EXPECT_EQ(g_state.last, last);
    EXPECT_EQ(text_lines, 3);  // the text lines among the newest five items
    EXPECT_EQ(bars, kKeptHiddenBars + 2);
    int oldest_kept = kBars - 2 - kKeptHiddenBars;
    EXPECT_EQ(find_bar(("bar" + std::to_string(oldest_kept - 1)).c_str()), nullptr);
    ASSERT_NE(find_bar(("bar" + std::to_string(oldest_kept)).c_str()), nullptr);
    EXPECT_EQ(find_bar(("bar" + std::to_string(oldest_kept)).c_str())->progress, oldest_kept);
}

TEST(TerminalTextChars, Utf8IsDecodedAndAnyOtherByteIsOneLatin1Character) {
    struct Case {
        const char* text;
        uint32_t code;
        int length;
    } cases[] = {
        {"A", 'A', 1},
        {"\xC3\xBC!", 0xFC, 2},               // ü
        {"\xE2\x82\xAC", 0x20AC, 3},          // €
        {"\xF0\x9F\x98\x80", 0x1F600, 4},     // beyond the basic plane
        {"\xFC", 0xFC, 1},                    // Latin-1 ü
        {"\xC3" "A", 0xC3, 1},                // lead without its continuation
        {"\xBC", 0xBC, 1},                    // continuation without a lead
        {"\xC0\x80", 0xC0, 1},                // over-long NUL
        {"\xE0\x80\xAF", 0xE0, 1},            // over-long /
        {"\xED\xA0\x80", 0xED, 1},            // surrogate
        {"\xF4\x90\x80\x80", 0xF4, 1},        // above U+10FFFF
        {"\xE2\x82", 0xE2, 1},                // cut by the end of the text
        {"\xFF\xFE", 0xFF, 1},
    };
    for (const Case& c : cases) {
        TextChar got = next_char(c.text);
        EXPECT_EQ(got.code, c.code) << c.text;
        EXPECT_EQ(got.length, c.length) << c.text;
    }
}

TEST_F(TerminalLayout, TextIsMeasuredByCharactersWithTabStopsAndSilentControls) {
    auto advance = [](unsigned char byte) { return g_glyphs.glyphs[byte].advance; };
    int tab_stop = 8 * advance(' ');
    struct Case {
        const char* text;
        int width;
    } cases[] = {
        {"Gr\xC3\xBC\xC3\x9F" "e", text_width("Gr\xFC\xDF" "e")},  // UTF-8 and Latin-1 alike
        {"\xE2\x82\xAC", advance('?')},                             // beyond the atlas
        {"\x01\x1B\x7F\xC2\x85\x85", 0},                             // controls draw nothing
        {"\t", tab_stop},
        {"ab\t", tab_stop},
        {"ab\tc", tab_stop + advance('c')},
        {"\t\t", 2 * tab_stop},
    };
    for (const Case& c : cases) EXPECT_EQ(text_width(c.text), c.width) << c.text;

    // Fitting and splitting never cut a character in two.
    std::string umlauts;
    for (int i = 0; i < 100; ++i) umlauts += "\xC3\xBC";
    EXPECT_EQ(fit_count(umlauts.c_str(), 3 * advance(0xFC) + 1), 6);
    EXPECT_EQ(fit_count(umlauts.c_str(), 3 * advance(0xFC)), 4);
    add_text(umlauts.c_str());
    ASSERT_GT(lines().size(), 1u);
    size_t total = 0;
    for (const std::string& line : lines()) {
        EXPECT_EQ(line.size() % 2, 0u) << line.size();
        total += line.size();
    }
    EXPECT_EQ(total, umlauts.size());

    SetUp();
    render_context()->width = 25;  // no character fits: each gets a line of its own
    add_text("\xC3\xBC\xE2\x82\xAC\nM");
    render_context()->width = kWidth;
    EXPECT_EQ(lines(), (std::vector<std::string>{"\xC3\xBC", "\xE2\x82\xAC", "M"}));
}

TEST(TerminalTimeText, HoursAreNotWrapped) {
    struct Case {
        int seconds;
        const char* expected;
    } cases[] = {{0, "00:00:00"}, {12 * 3600 + 34 * 60 + 56, "12:34:56"}, {100 * 3600, "100:00:00"},
                 {1000 * 3600, "1000:00:0"}};
    for (const Case& c : cases) {
        char text[10];
        time_text(c.seconds, text);
        EXPECT_STREQ(text, c.expected);
    }
}

}  // namespace
