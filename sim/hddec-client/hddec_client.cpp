// hddec-client: talks to "/dev/hd-dec-mgr" through its control API.
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hddec_api.h"
#include "hu/devctl.h"

namespace {

const char kUsage[] =
    "usage: hddec-client <command> [arguments]\n"
    "  devices                   number of devices and their sources\n"
    "  source <dev> <source>     select a source (programs the device)\n"
    "  lanes <dev> <count>       set the CSI-2 lane count\n"
    "  output <dev> <0|1>        stop or start the CSI-2 output\n"
    "  rxflag <dev> <value>      set the rx flag\n"
    "  status <dev>              rx status, audio sample rate, rx block and rx bit\n"
    "  events <dev>              fetch and clear the device's events\n"
    "  wait [-t <ms>] [-n <count>]\n"
    "                            wait for events of device 0, then print them and what changed\n";

int g_fd = -1;

bool parse_number(const char* text, long* value) {
    char* end = nullptr;
    errno = 0;
    *value = strtol(text, &end, 0);
    return errno == 0 && end != text && *end == '\0';
}

// One devctl; prints the failure and returns false when it or the driver's outcome failed.
bool call(const char* what, unsigned dcmd, void* data, size_t size, int* info_out = nullptr) {
    int info = 0;
    int status = devctl(g_fd, static_cast<int>(dcmd), data, size, &info);
    if (status != EOK) {
        fprintf(stderr, "hddec-client: %s failed: %s\n", what, strerror(status));
        return false;
    }
    if (info_out != nullptr) {
        *info_out = info;
    } else if (info != 0) {
        fprintf(stderr, "hddec-client: %s: the driver reports %s\n", what, strerror(info));
        return false;
    }
    return true;
}

bool set_value(const char* what, unsigned dcmd, uint32_t dev, uint32_t value) {
    hddec_arg_t arg{dev, {value}};
    if (!call(what, dcmd, &arg, sizeof arg)) return false;
    printf("device %u: %s %u: done\n", dev, what, value);
    return true;
}

bool get_value(const char* what, unsigned dcmd, uint32_t dev, int32_t* value, int* info) {
    hddec_arg_t arg{dev, {0}};
    if (!call(what, dcmd, &arg, sizeof arg, info)) return false;
    *value = arg.value.s;
    return true;
}

// The driver answers 1 when the receiver has nothing to report (no signal, no block yet).
void print_info(const char* what, int info) {
    if (info == 1) {
        printf("  %s: nothing received\n", what);
    } else if (info != 0) {
        printf("  %s: not available (%s)\n", what, strerror(info));
    }
}

bool show_rx_status(uint32_t dev) {
    int32_t value = 0;
    int info = 0;
    if (!get_value("rx status", DCMD_HDDEC_GET_RX_STATUS, dev, &value, &info)) return false;
    if (info == 0) printf("  rx status: %d (%s)\n", value, value == 1 ? "receiving" : value == 0 ? "no signal" : "unknown");
    print_info("rx status", info);
    return true;
}

bool show_audio_rate(uint32_t dev) {
    int32_t value = 0;
    int info = 0;
    if (!get_value("audio rate", DCMD_HDDEC_GET_AUDIO_RATE, dev, &value, &info)) return false;
    if (info == 0) printf("  audio sample rate: %d Hz\n", value);
    print_info("audio sample rate", info);
    return true;
}

bool show_rx_block(uint32_t dev) {
    hddec_block_t block{dev, {}, {}};
    int info = 0;
    if (!call("rx block", DCMD_HDDEC_GET_RX_BLOCK, &block, sizeof block, &info)) return false;
    if (info == 0) {
        printf("  rx block:");
        for (uint8_t byte : block.data) printf(" 0x%02x", byte);
        printf("\n");
    }
    print_info("rx block", info);
    return true;
}

bool show_rx_bit(uint32_t dev) {
    int32_t value = 0;
    int info = 0;
    if (!get_value("rx bit", DCMD_HDDEC_GET_RX_BIT, dev, &value, &info)) return false;
    if (info == 0) printf("  rx bit: 0x%02x\n", static_cast<unsigned>(value));
    print_info("rx bit", info);
    return true;
}

bool show_devices() {
    uint32_t count = 0;
    if (!call("number of devices", DCMD_HDDEC_GET_NUM_DEVICES, &count, sizeof count)) return false;
    printf("%u devices\n", count);
    for (uint32_t dev = 0; dev < count; ++dev) {
        int32_t sources = 0;
        int info = 0;
        if (!get_value("number of sources", DCMD_HDDEC_GET_NUM_SOURCES, dev, &sources, &info)) return false;
        printf("device %u: %d source(s)\n", dev, sources);
    }
    return true;
}

bool show_status(uint32_t dev) {
    printf("device %u:\n", dev);
    return show_rx_status(dev) && show_audio_rate(dev) && show_rx_block(dev) && show_rx_bit(dev);
}

std::string event_names(uint32_t events) {
    static const struct {
        uint32_t bit;
        const char* name;
    } kNames[] = {{HDDEC_EVENT_RX, "RX"},
                  {HDDEC_EVENT_AUDIO_RATE, "AUDIO_RATE"},
                  {HDDEC_EVENT_RX_BLOCK, "RX_BLOCK"},
                  {HDDEC_EVENT_RX_BIT, "RX_BIT"},
                  {HDDEC_EVENT_AUX, "AUX"}};
    std::string names;
    for (const auto& n : kNames) {
        if (events & n.bit) names += names.empty() ? n.name : std::string(" ") + n.name;
    }
    return names.empty() ? "none" : names;
}

bool fetch_events(uint32_t dev, uint32_t* events) {
    hddec_arg_t arg{dev, {0}};
    if (!call("events", DCMD_HDDEC_GET_EVENTS, &arg, sizeof arg)) return false;
    *events = arg.value.u;
    printf("device %u: events 0x%08x (%s)\n", dev, *events, event_names(*events).c_str());
    return true;
}

// Queries what each event bit says has changed.
bool show_changes(uint32_t events) {
    bool ok = true;
    if (events & HDDEC_EVENT_RX) ok &= show_rx_status(0);
    if (events & HDDEC_EVENT_AUDIO_RATE) ok &= show_audio_rate(0);
    if (events & HDDEC_EVENT_RX_BLOCK) ok &= show_rx_block(0);
    if (events & HDDEC_EVENT_RX_BIT) ok &= show_rx_bit(0);
    return ok;
}

bool wait_for_events(int timeout_ms, long count) {
    for (long n = 0; n < count; ++n) {
        int met = ionotify(g_fd, _NOTIFY_ACTION_POLLARM, _NOTIFY_COND_OBAND, nullptr);
        if (met < 0) {
            fprintf(stderr, "hddec-client: arming the notification failed: %s\n", strerror(errno));
            return false;
        }
        if ((met & _NOTIFY_COND_OBAND) == 0) {
            int got = hu_notify_take(g_fd, timeout_ms);
            if (got < 0) {
                fprintf(stderr, "hddec-client: waiting failed: %s\n", strerror(errno));
                return false;
            }
            if (got == 0) {
                fprintf(stderr, "hddec-client: no event within %d ms\n", timeout_ms);
                return false;
            }
        }
        uint32_t events = 0;
        if (!fetch_events(0, &events) || !show_changes(events)) return false;
        fflush(stdout);
    }
    return true;
}

int usage() {
    fputs(kUsage, stderr);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    std::string command = argv[1];
    long numbers[2] = {0, 0};
    int needed = command == "devices" || command == "wait" ? 0
                 : command == "status" || command == "events" ? 1
                 : 2;
    if (command != "wait" && argc != 2 + needed) return usage();
    for (int i = 0; i < needed; ++i) {
        if (!parse_number(argv[2 + i], &numbers[i])) return usage();
    }

    g_fd = hu_open(HDDEC_DEVICE_PATH, O_RDWR);
    if (g_fd < 0) {
        fprintf(stderr, "hddec-client: cannot open %s: %s\n", HDDEC_DEVICE_PATH, strerror(errno));
        return 1;
    }
    uint32_t dev = static_cast<uint32_t>(numbers[0]);
    uint32_t value = static_cast<uint32_t>(numbers[1]);
    bool ok = false;
    if (command == "devices") {
        ok = show_devices();
    } else if (command == "source") {
        ok = set_value("source", DCMD_HDDEC_SET_SOURCE, dev, value);
    } else if (command == "lanes") {
        ok = set_value("lanes", DCMD_HDDEC_SET_LANES, dev, value);
    } else if (command == "output") {
        ok = set_value("output", DCMD_HDDEC_SET_OUTPUT, dev, value);
    } else if (command == "rxflag") {
        ok = set_value("rx flag", DCMD_HDDEC_SET_RX_FLAG, dev, value);
    } else if (command == "status") {
        ok = show_status(dev);
    } else if (command == "events") {
        uint32_t events = 0;
        ok = fetch_events(dev, &events);
    } else if (command == "wait") {
        int timeout_ms = -1;
        long count = 1, number = 0;
        for (int i = 2; i < argc; i += 2) {
            if (i + 1 >= argc || !parse_number(argv[i + 1], &number) || number < 0) return usage();
            if (strcmp(argv[i], "-t") == 0) {
                timeout_ms = static_cast<int>(number);
            } else if (strcmp(argv[i], "-n") == 0) {
                count = number;
            } else {
                return usage();
            }
        }
        ok = wait_for_events(timeout_ms, count);
    } else {
        hu_close(g_fd);
        return usage();
    }
    hu_close(g_fd);
    return ok ? 0 : 1;
}
