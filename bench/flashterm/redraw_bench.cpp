// One full FlashTerm frame (1280 x 480, every row used, three bars) against a frame that
// only clears and presents, on Mesa under a private Xvfb.
#include <GLES2/gl2.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "displayable.h"
#include "glyphs.h"
#include "rounds.h"
#include "render_context.h"
#include "screen_content.h"
#include "terminal_state.h"
#include "xvfb_server.h"

namespace {

const Colour kBackground = colour_of(0x6E3B3B);
const Colour kForeground = colour_of(0xFFFFFF);
const Colour kStatusLine = colour_of(0xC49191);
const Colour kBarName = colour_of(0x000000);

void fillScreen() {
    g_state.status_text = "Flashing the head unit software, step 4 of 7";
    g_state.flash_seconds = 3723;
    int rows = visible_rows();
    for (int i = 0; i < rows - 3; ++i) {
        add_text("Writing block 0x00401000 of the application image to the flash device ... done");
    }
    append_bar("ipl", "Bootloader", 100);
    append_bar("ifs", "System image", 57);
    append_bar("app", "Applications", 3);
}

void BM_FullRedraw(benchmark::State& state) {
    for (auto _ : state) redraw(kBackground, kForeground, kStatusLine, kBarName);
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMicrosecond);

void BM_ClearAndPresent(benchmark::State& state) {
    const RenderContext* context = render_context();
    for (auto _ : state) {
        glViewport(0, 0, static_cast<GLsizei>(context->width), static_cast<GLsizei>(context->height));
        glClearColor(kBackground.red, kBackground.green, kBackground.blue, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        CDisplayable::instance()->swap();
    }
}
BENCHMARK(BM_ClearAndPresent)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    hu::testing::TempRoot root;
    hu::testing::XvfbServer xvfb(1280, 480);
    if (xvfb.display().empty()) {
        fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", xvfb.display().c_str(), 1);
    unsetenv("HU_SCREEN_CAPTURE");
    unsetenv("HU_SCREEN_SIZE");
    CDisplayable* display = CDisplayable::instance();
    if (!display->init()) return 1;
    create_render_context(static_cast<unsigned>(display->width()), static_cast<unsigned>(display->height()));
    build_programs();
    load_font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    build_glyphs(12);
    release_font();
    fillScreen();

    return hu::bench::runRounds(argc, argv, {"BM_FullRedraw", "BM_ClearAndPresent"},
                                {{"BM_FullRedraw", "BM_ClearAndPresent"}});
}
