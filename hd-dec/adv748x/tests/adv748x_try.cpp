// Drives the backend against whatever serves the map devices: init, the HDMI and analogue
// selections, lanes, output and the status queries, printing the outcome of each. With
// -w <ms> it then lets the sideband engine run that long before shutting down.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "adv748x.h"

namespace {

void report(const char* step, int result) { std::printf("%-28s %s\n", step, result == 0 ? "ok" : std::strerror(result)); }

int update(HdDecBackend* b, int device, uint32_t flags) {
    b->cur_dev = device;
    return b->update(b, flags);
}

}  // namespace

int main(int argc, char** argv) {
    unsigned verbosity = 0x1;
    int wait_ms = 0;
    int opt;
    while ((opt = getopt(argc, argv, "v:w:")) != -1) {
        if (opt == 'v') verbosity = static_cast<unsigned>(std::atoi(optarg));
        if (opt == 'w') wait_ms = std::atoi(optarg);
    }
    static HdDecBackend backend;
    adv748x_backend_setup(&backend);
    int err = backend.init(&backend, verbosity);
    report("init", err);
    if (err != 0 && err != EIO) return 1;

    report("select HDMI", update(&backend, 0, HDDEC_F_SOURCE));
    backend.devices[0].lanes = 2;
    report("HDMI: 2 lanes", update(&backend, 0, HDDEC_F_LANES));
    backend.devices[0].output_enable = 1;
    report("HDMI: output on", update(&backend, 0, HDDEC_F_OUTPUT));
    report("select analogue", update(&backend, 1, HDDEC_F_SOURCE));
    report("analogue: rx flag", update(&backend, 1, HDDEC_F_RX));

    backend.cur_dev = 0;
    int rate = backend.query(&backend, HDDEC_F_AUDIO_RATE, nullptr, 0);
    std::printf("%-28s %d Hz\n", "audio sample rate", rate);
    std::printf("%-28s %d\n", "receiver status", backend.query(&backend, HDDEC_F_RX, nullptr, 0));

    if (wait_ms > 0) usleep(static_cast<useconds_t>(wait_ms) * 1000);
    backend.fini(&backend);
    return 0;
}
