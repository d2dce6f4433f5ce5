// Messages into a running FlashTerm: text writes and control commands per second, and the
// devctl round trip beside a bare Unix-socket round trip of the same size (the floor); then
// FlashTerm's peak resident size beside a bare EGL window's on the same display.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "flashterm/term_msg.h"
#include "bare_socket.h"
#include "rounds.h"
#include "xvfb_server.h"

namespace {

int g_terminal = -1;

void BM_WriteText(benchmark::State& state) {
    const char text[] = "Writing block 0x00401000 ... done";
    for (auto _ : state) {
        if (hu_write(g_terminal, text, sizeof text) != static_cast<ssize_t>(sizeof text)) state.SkipWithError("write");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteText)->UseRealTime();

void BM_SetProgress(benchmark::State& state) {
    const char strings[] = "ifs\0System image";
    char message[sizeof(term_bar_msg_t) + sizeof strings];
    term_bar_msg_t head{0, 4, 0};
    memcpy(message, &head, sizeof head);
    memcpy(message + sizeof head, strings, sizeof strings);
    devctl(g_terminal, DCMD_TERM_ADD_BAR, message, sizeof message, nullptr);
    int32_t progress = 0;
    for (auto _ : state) {
        progress = (progress + 1) % 101;
        memcpy(message + offsetof(term_bar_msg_t, progress), &progress, sizeof progress);
        if (devctl(g_terminal, DCMD_TERM_SET_PROGRESS, message, sizeof message, nullptr) != EOK) {
            state.SkipWithError("devctl");
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetProgress)->UseRealTime();

void BM_DevctlRoundTrip(benchmark::State& state) {
    int32_t running = 1;
    for (auto _ : state) {
        if (devctl(g_terminal, DCMD_TERM_SET_CLOCK, &running, sizeof running, nullptr) != EOK) {
            state.SkipWithError("devctl");
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DevctlRoundTrip)->UseRealTime();

// The same bytes each way: 16-byte header + 4-byte payload out, a 24-byte reply back.
void BM_BareSocketRoundTrip(benchmark::State& state) { bareSocketRoundTrip(state, 20, 24); }
BENCHMARK(BM_BareSocketRoundTrip)->UseRealTime();

// Peak resident size of a bare EGL window once it has presented its first frames.
long bareWindowPeakKiB(const std::string& display, bool quad) {
    hu::testing::Process::Options options;
    options.env = {{"DISPLAY", display}};
    options.pipe_stdin = true;
    std::vector<std::string> argv = {hu::testing::binPath("bare_egl_window")};
    if (quad) argv.push_back("--quad");
    hu::testing::Process window(argv, options);
    if (!hu::testing::waitUntil([&] { return window.out().find("ready") != std::string::npos; })) return 0;
    return window.peakResidentKiB();
}

}  // namespace

int main(int argc, char** argv) {
    hu::testing::TempRoot root;
    hu::testing::XvfbServer xvfb(1280, 480);
    if (xvfb.display().empty()) {
        fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    hu::testing::Process::Options options;
    options.env = {{"DISPLAY", xvfb.display()}};
    hu::testing::Process terminal(
        {hu::testing::binPath("FlashTerm"), "-p", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"}, options);
    if (!hu::testing::waitForServer("/dev/FlashTerm") || (g_terminal = hu_open("/dev/FlashTerm", O_RDWR)) < 0) {
        fprintf(stderr, "FlashTerm did not come up\n");
        return 1;
    }
    int status = hu::bench::runRounds(argc, argv,
                                      {"BM_WriteText", "BM_SetProgress", "BM_DevctlRoundTrip", "BM_BareSocketRoundTrip"},
                                      {{"BM_DevctlRoundTrip", "BM_BareSocketRoundTrip"}});
    printf("peak resident FlashTerm: %ld KiB\n", terminal.peakResidentKiB());
    hu_close(g_terminal);
    long bare = bareWindowPeakKiB(xvfb.display(), false);
    long quad = bareWindowPeakKiB(xvfb.display(), true);
    if (bare <= 0 || quad <= 0) return 1;
    printf("peak resident bare EGL window: %ld KiB\n", bare);
    printf("peak resident EGL window drawing one textured quad: %ld KiB\n", quad);
    return status;
}
