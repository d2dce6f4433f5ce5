// hddec-client: talks to "/dev/hd-dec-mgr" through its control API.
#include <fcntl.h>
#include <signal.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "hddec_api.h"
#include "hu/devctl.h"
#include "hu/path.h"

namespace {

const char kUsage[] =
    "usage: hddec-client <command> [arguments]\n"
    "  devices                   number of devices, their kinds and sources\n"
    "  source <dev> <source>     select a source (programs the device)\n"
    "  lanes <dev> <count>       set the CSI-2 lane count\n"
    "  output <dev> <0|1>        stop or start the CSI-2 output\n"
    "  rxflag <dev> <value>      set the rx flag\n"
    "  status <dev>              rx status, audio sample rate, rx block and rx bit\n"
    "  events <dev>              fetch and clear the device's events\n"
    "  wait [-t <ms>] [-n <count>]\n"
    "                            wait for events of device 0, then print them and what changed;\n"
    "                            -t bounds the whole wait, -n waits for that many wake-ups\n"
    "  help, --help, -h          this text\n"
    "Exit status: 0 done, 1 the driver or the chip failed, 2 a wrong command line.\n";

constexpr uint32_t kMaxU32 = 0xFFFFFFFFu;
constexpr uint32_t kMaxMs = 0x7FFFFFFFu;

int g_fd = -1;

// A command line that cannot be carried out: what is wrong, and where to read more.
int bad_usage(const std::string& what) {
    fprintf(stderr, "hddec-client: %s\nTry 'hddec-client --help' for more information.\n", what.c_str());
    return 2;
}

// Decimal or 0x-hexadecimal, no sign, nothing after it, at most `max`: no wrap-around.
bool parse_number(const char* text, uint32_t max, uint32_t* value) {
    if (text[0] < '0' || text[0] > '9') return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long v = strtoull(text, &end, 0);
    if (errno != 0 || *end != '\0' || v > max) return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

// One positional argument of a command, with the range it must be in.
struct argument {
    const char* name;
    uint32_t max;
};

struct command_info {
    const char* name;
    std::vector<argument> args;
};

const command_info kCommands[] = {
    {"devices", {}},
    {"source", {{"<dev>", kMaxU32}, {"<source>", kMaxU32}}},
    {"lanes", {{"<dev>", kMaxU32}, {"<count>", kMaxU32}}},
    {"output", {{"<dev>", kMaxU32}, {"<0|1>", 1}}},
    {"rxflag", {{"<dev>", kMaxU32}, {"<value>", kMaxU32}}},
    {"status", {{"<dev>", kMaxU32}}},
    {"events", {{"<dev>", kMaxU32}}},
};

std::string range_text(uint32_t max) {
    return max == 1 ? "0 or 1" : "a number from 0 to " + std::to_string(max);
}

// Parses the arguments of a command from the table; 0, or the exit status of a bad line.
int parse_args(const command_info& c, int argc, char** argv, uint32_t* values) {
    const std::string cmd = c.name;
    if (argc - 2 < static_cast<int>(c.args.size())) return bad_usage(cmd + ": missing " + c.args[argc - 2].name);
    if (argc - 2 > static_cast<int>(c.args.size())) {
        return bad_usage(cmd + ": unexpected argument '" + argv[2 + c.args.size()] + "'");
    }
    for (size_t i = 0; i < c.args.size(); ++i) {
        if (!parse_number(argv[2 + i], c.args[i].max, &values[i])) {
            return bad_usage(cmd + ": " + c.args[i].name + " must be " + range_text(c.args[i].max) + ", not '" +
                             argv[2 + i] + "'");
        }
    }
    return 0;
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

// A query's outcome other than data: 1 means the receiver has nothing to report (no signal,
// no block yet), ENOTSUP that the device has no such status; anything else is a failed
// read, printed as an error and never as a value.
bool data_read(const char* what, int info, bool* ok) {
    if (info == 0) return true;
    if (info == 1) {
        printf("  %s: nothing received\n", what);
    } else if (info == ENOTSUP) {
        printf("  %s: not on this device\n", what);
    } else {
        fprintf(stderr, "hddec-client: %s: not read (%s)\n", what, strerror(info));
        *ok = false;
    }
    return false;
}

bool show_rx_status(uint32_t dev) {
    int32_t value = 0;
    int info = 0;
    bool ok = true;
    if (!get_value("rx status", DCMD_HDDEC_GET_RX_STATUS, dev, &value, &info)) return false;
    if (data_read("rx status", info, &ok)) {
        printf("  rx status: %d (%s)\n", value, value == 1 ? "receiving" : value == 0 ? "no signal" : "unknown");
    }
    return ok;
}

bool show_audio_rate(uint32_t dev) {
    int32_t value = 0;
    int info = 0;
    bool ok = true;
    if (!get_value("audio rate", DCMD_HDDEC_GET_AUDIO_RATE, dev, &value, &info)) return false;
    if (data_read("audio sample rate", info, &ok)) printf("  audio sample rate: %d Hz\n", value);
    return ok;
}

bool show_rx_block(uint32_t dev) {
    hddec_block_t block{dev, {}, {}};
    int info = 0;
    bool ok = true;
    if (!call("rx block", DCMD_HDDEC_GET_RX_BLOCK, &block, sizeof block, &info)) return false;
    if (data_read("rx block", info, &ok)) {
        printf("  rx block:");
        for (uint8_t byte : block.data) printf(" 0x%02x", byte);
        printf("\n");
    }
    return ok;
}

bool show_rx_bit(uint32_t dev) {
    int32_t value = 0;
    int info = 0;
    bool ok = true;
    if (!get_value("rx bit", DCMD_HDDEC_GET_RX_BIT, dev, &value, &info)) return false;
    if (data_read("rx bit", info, &ok)) printf("  rx bit: 0x%02x\n", static_cast<unsigned>(value));
    return ok;
}

bool device_count(uint32_t* count) {
    return call("number of devices", DCMD_HDDEC_GET_NUM_DEVICES, count, sizeof *count);
}

// The driver's devices by index: the HDMI receiver, then the analogue decoder.
const char* kind_of(uint32_t dev) {
    static const char* const kKinds[] = {"HDMI receiver", "analogue video decoder"};
    return dev < sizeof kKinds / sizeof kKinds[0] ? kKinds[dev] : "receiver";
}

bool show_devices() {
    uint32_t count = 0;
    if (!device_count(&count)) return false;
    printf("%u devices\n", count);
    for (uint32_t dev = 0; dev < count; ++dev) {
        int32_t sources = 0;
        int info = 0;
        if (!get_value("number of sources", DCMD_HDDEC_GET_NUM_SOURCES, dev, &sources, &info)) return false;
        printf("device %u: %s, %d source%s\n", dev, kind_of(dev), sources, sources == 1 ? "" : "s");
    }
    return true;
}

bool show_status(uint32_t dev) {
    printf("device %u:\n", dev);
    // Every query is made, also after one failed.
    bool ok = show_rx_status(dev);
    ok &= show_audio_rate(dev);
    ok &= show_rx_block(dev);
    ok &= show_rx_bit(dev);
    return ok;
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

bool take_events(uint32_t dev, uint32_t* events) {
    hddec_arg_t arg{dev, {0}};
    if (!call("events", DCMD_HDDEC_GET_EVENTS, &arg, sizeof arg)) return false;
    *events = arg.value.u;
    return true;
}

void print_events(uint32_t dev, uint32_t events) {
    printf("device %u: events 0x%08x (%s)\n", dev, events, event_names(events).c_str());
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

// The time limit of `wait -t`, over everything the wait does.
timespec g_deadline;
uint32_t g_timeout_ms = 0;
bool g_bounded = false;

void timed_out(int) {
    char line[64];
    int n = snprintf(line, sizeof line, "hddec-client: no event within %u ms\n", g_timeout_ms);
    ssize_t written = write(STDERR_FILENO, line, static_cast<size_t>(n));
    (void)written;
    _exit(1);
}

// From here on the whole command ends within `ms`: opening, arming and every round trip
// included (a driver that never answers ends it too).
void bound_by(uint32_t ms) {
    g_bounded = true;
    g_timeout_ms = ms;
    clock_gettime(CLOCK_MONOTONIC, &g_deadline);
    g_deadline.tv_sec += ms / 1000;
    g_deadline.tv_nsec += (ms % 1000) * 1000000L;
    if (g_deadline.tv_nsec >= 1000000000L) {
        g_deadline.tv_sec++;
        g_deadline.tv_nsec -= 1000000000L;
    }
    signal(SIGALRM, timed_out);
    itimerval timer{};
    timer.it_value.tv_sec = ms / 1000;
    timer.it_value.tv_usec = (ms % 1000) * 1000 + 1;  // 0 would disarm it
    setitimer(ITIMER_REAL, &timer, nullptr);
}

int ms_left() {
    if (!g_bounded) return -1;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    long long left = (g_deadline.tv_sec - now.tv_sec) * 1000LL + (g_deadline.tv_nsec - now.tv_nsec) / 1000000LL;
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `count` wake-ups that bring events. A wake-up whose events another client took
// first does not count: the wait goes on until its time is up.
bool wait_for_events(uint32_t count) {
    for (uint32_t n = 0; n < count;) {
        int met = ionotify(g_fd, _NOTIFY_ACTION_POLLARM, _NOTIFY_COND_OBAND, nullptr);
        if (met < 0) {
            fprintf(stderr, "hddec-client: arming the notification failed: %s\n", strerror(errno));
            return false;
        }
        if ((met & _NOTIFY_COND_OBAND) == 0) {
            int got = hu_notify_take(g_fd, ms_left());
            if (got < 0) {
                fprintf(stderr, "hddec-client: waiting failed: %s\n", strerror(errno));
                return false;
            }
            if (got == 0) timed_out(0);
        }
        uint32_t events = 0;
        if (!take_events(0, &events)) return false;
        if (events == 0) continue;
        print_events(0, events);
        if (!show_changes(events)) return false;
        fflush(stdout);
        ++n;
    }
    return true;
}

int parse_wait(int argc, char** argv, uint32_t* count) {
    for (int i = 2; i < argc; i += 2) {
        std::string option = argv[i];
        if (option != "-t" && option != "-n") return bad_usage("wait: unknown option '" + option + "'");
        const char* what = option == "-t" ? "a number of milliseconds" : "a count";
        uint32_t number = 0;
        if (i + 1 >= argc) return bad_usage("wait: " + option + " needs " + what);
        if (!parse_number(argv[i + 1], kMaxMs, &number)) {
            return bad_usage("wait: " + option + " must be " + what + " from 0 to " + std::to_string(kMaxMs) +
                             ", not '" + argv[i + 1] + "'");
        }
        if (option == "-t") {
            bound_by(number);
        } else {
            *count = number;
        }
    }
    return 0;
}

bool open_driver() {
    g_fd = hu_open(HDDEC_DEVICE_PATH, O_RDWR);
    if (g_fd >= 0) return true;
    int err = errno;
    if (err == ENOENT || err == ECONNREFUSED) {
        fprintf(stderr, "hddec-client: the driver does not run (no %s under HU_ROOT=%s)\n", HDDEC_DEVICE_PATH,
                hu::root().c_str());
    } else {
        fprintf(stderr, "hddec-client: cannot open %s under HU_ROOT=%s: %s\n", HDDEC_DEVICE_PATH, hu::root().c_str(),
                strerror(err));
    }
    return false;
}

// A device index the driver does not have is named as such, not as a refused request.
bool device_exists(uint32_t dev) {
    uint32_t count = 0;
    if (!device_count(&count)) return false;
    if (dev < count) return true;
    fprintf(stderr, "hddec-client: there is no device %u (the driver has %u: 0 to %u)\n", dev, count, count - 1);
    return false;
}

bool run(const std::string& command, const uint32_t* values) {
    uint32_t dev = values[0];
    uint32_t value = values[1];
    if (command == "devices") return show_devices();
    if (!device_exists(dev)) return false;
    if (command == "source") return set_value("source", DCMD_HDDEC_SET_SOURCE, dev, value);
    if (command == "lanes") return set_value("lanes", DCMD_HDDEC_SET_LANES, dev, value);
    if (command == "output") return set_value("output", DCMD_HDDEC_SET_OUTPUT, dev, value);
    if (command == "rxflag") return set_value("rx flag", DCMD_HDDEC_SET_RX_FLAG, dev, value);
    if (command == "status") return show_status(dev);
    uint32_t events = 0;
    if (!take_events(dev, &events)) return false;
    print_events(dev, events);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return bad_usage("no command given");
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        fputs(kUsage, stdout);
        return 0;
    }
    uint32_t values[2] = {0, 0};
    uint32_t count = 1;
    const command_info* info = nullptr;
    for (const command_info& c : kCommands) {
        if (command == c.name) info = &c;
    }
    int status = info != nullptr ? parse_args(*info, argc, argv, values)
                 : command == "wait" ? parse_wait(argc, argv, &count)
                                     : bad_usage("unknown command '" + command + "'");
    if (status != 0) return status;

    if (!open_driver()) return 1;
    bool ok = info != nullptr ? run(command, values) : wait_for_events(count);
    hu_close(g_fd);
    return ok ? 0 : 1;
}
