// The receiver driver's control path and event path, each beside its floor:
// - a DCMD_HDDEC_GET_EVENTS round trip beside a bare socket round trip of the same size;
// - an injected chip interrupt until the armed client wakes, beside the injection alone
//   (one round trip to the chip stand-in's control device).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "bare_socket.h"
#include "chip_control.h"
#include "hddec_api.h"
#include "hu/devctl.h"
#include "hu/path.h"
#include "hu_testing.h"
#include "rounds.h"

namespace {

int g_driver = -1;
adv748x_sim::ChipControl* g_chip = nullptr;

uint32_t fetchEvents() {
    hddec_arg_t arg{0, {0}};
    devctl(g_driver, static_cast<int>(DCMD_HDDEC_GET_EVENTS), &arg, sizeof arg, nullptr);
    return arg.value.u;
}

void BM_GetEventsRoundTrip(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(fetchEvents());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetEventsRoundTrip)->UseRealTime();

// 16-byte header + 8-byte argument out, 16-byte reply header + 8 bytes back.
void BM_BareSocketRoundTrip(benchmark::State& state) { bareSocketRoundTrip(state, 24, 24); }
BENCHMARK(BM_BareSocketRoundTrip)->UseRealTime();

void BM_InterruptToClientWake(benchmark::State& state) {
    for (auto _ : state) {
        if (ionotify(g_driver, _NOTIFY_ACTION_POLLARM, _NOTIFY_COND_OBAND, nullptr) != 0) fetchEvents();
        g_chip->command("latch io 6d 40");
        if (hu_notify_take(g_driver, 5000) != _NOTIFY_COND_OBAND) state.SkipWithError("no wake-up");
        state.PauseTiming();
        fetchEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InterruptToClientWake)->UseRealTime();

void BM_InjectionAlone(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(g_chip->command("get io 6d"));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InjectionAlone)->UseRealTime();

void writeMem(uint64_t address, uint32_t value) {
    int fd = open(hu::resolveForCreate("/dev/mem").c_str(), O_RDWR | O_CREAT, 0666);
    if (pwrite(fd, &value, sizeof value, static_cast<off_t>(address)) != sizeof value) perror("dev/mem");
    close(fd);
}

}  // namespace

int main(int argc, char** argv) {
    hu::testing::TempRoot root;
    hu::testing::Process chip({hu::testing::binPath("adv748x_chip")});
    if (!hu::testing::waitForServer(adv748x_sim::kControlDevice)) {
        fprintf(stderr, "the chip stand-in did not come up\n");
        return 1;
    }
    writeMem(0x4A002204, 0x2B942000);  // control id: silicon revision 2
    hu::testing::Process driver({hu::testing::binPath("hdrx-adv748x")});
    if (!hu::testing::waitForServer(HDDEC_DEVICE_PATH) || (g_driver = hu_open(HDDEC_DEVICE_PATH, O_RDWR)) < 0) {
        fprintf(stderr, "the driver did not come up\n");
        return 1;
    }
    auto chip_control = std::make_unique<adv748x_sim::ChipControl>();
    g_chip = chip_control.get();
    hddec_arg_t select{0, {0}};
    devctl(g_driver, static_cast<int>(DCMD_HDDEC_SET_SOURCE), &select, sizeof select, nullptr);  // enables interrupts

    int status = hu::bench::runRounds(
        argc, argv, {"BM_GetEventsRoundTrip", "BM_BareSocketRoundTrip", "BM_InterruptToClientWake", "BM_InjectionAlone"},
        {{"BM_GetEventsRoundTrip", "BM_BareSocketRoundTrip"}, {"BM_InterruptToClientWake", "BM_InjectionAlone"}});
    printf("peak resident hdrx-adv748x: %ld KiB\n", driver.peakResidentKiB());
    hu_close(g_driver);
    return status;
}
