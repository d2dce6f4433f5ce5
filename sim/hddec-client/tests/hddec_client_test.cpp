// hddec-client as an integrator uses it: command lines, what they print, their exit status.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chip_control.h"
#include "hddec_api.h"
#include "hu/path.h"
#include "hu_testing.h"

namespace {

using hu::testing::Process;

const char kTryHelp[] = "Try 'hddec-client --help' for more information.\n";

struct Case {
    bool driver;         // the driver runs (from the first such case on)
    const char* chip;    // a command to the chip stand-in first, or null
    std::vector<std::string> args;
    int exit_code;
    std::string out;     // exact, or a prefix when it ends in "..."
    std::string err;
};

bool matches(const std::string& expected, const std::string& actual) {
    if (expected.size() >= 3 && expected.compare(expected.size() - 3, 3, "...") == 0) {
        return actual.rfind(expected.substr(0, expected.size() - 3), 0) == 0;
    }
    return expected == actual;
}

TEST(HddecClientTest, CommandLinesAndTheirOutputs) {
    hu::testing::TempRoot root;
    Process logger({hu::testing::binPath("slogger")});
    Process chip({hu::testing::binPath("adv748x_chip")});
    ASSERT_TRUE(hu::testing::waitForServer(adv748x_sim::kControlDevice));
    adv748x_sim::ChipControl control;
    std::unique_ptr<Process> driver;
    const std::string usage = "usage: hddec-client <command> [arguments]\n...";
    const std::string no_driver =
        "hddec-client: the driver does not run (no /dev/hd-dec-mgr under HU_ROOT=" + hu::root() + ")\n";
    const std::string bad_line = "hddec-client: ";
    const Case cases[] = {
        // Without the driver: help, and command lines refused before any request.
        {false, nullptr, {"--help"}, 0, usage, ""},
        {false, nullptr, {"-h"}, 0, usage, ""},
        {false, nullptr, {"help"}, 0, usage, ""},
        {false, nullptr, {}, 2, "", bad_line + "no command given\n" + kTryHelp},
        {false, nullptr, {"frobnicate"}, 2, "", bad_line + "unknown command 'frobnicate'\n" + kTryHelp},
        {false, nullptr, {"lanes", "0", "4294967300"}, 2, "",
         bad_line + "lanes: <count> must be a number from 0 to 4294967295, not '4294967300'\n" + kTryHelp},
        {false, nullptr, {"output", "0", "2"}, 2, "", bad_line + "output: <0|1> must be 0 or 1, not '2'\n" + kTryHelp},
        {false, nullptr, {"source", "-1", "0"}, 2, "",
         bad_line + "source: <dev> must be a number from 0 to 4294967295, not '-1'\n" + kTryHelp},
        {false, nullptr, {"status"}, 2, "", bad_line + "status: missing <dev>\n" + kTryHelp},
        {false, nullptr, {"events", "0", "1"}, 2, "", bad_line + "events: unexpected argument '1'\n" + kTryHelp},
        {false, nullptr, {"wait", "-t"}, 2, "", bad_line + "wait: -t needs a number of milliseconds\n" + kTryHelp},
        {false, nullptr, {"wait", "-t", "1s"}, 2, "",
         bad_line + "wait: -t must be a number of milliseconds from 0 to 2147483647, not '1s'\n" + kTryHelp},
        {false, nullptr, {"wait", "-x", "1"}, 2, "", bad_line + "wait: unknown option '-x'\n" + kTryHelp},
        {false, nullptr, {"devices"}, 1, "", no_driver},
        // With the driver.
        {true, nullptr, {"devices"}, 0,
         "2 devices\ndevice 0: HDMI receiver, 1 source\ndevice 1: analogue video decoder, 4 sources\n", ""},
        {true, nullptr, {"source", "0", "0"}, 0, "device 0: source 0: done\n", ""},
        {true, nullptr, {"lanes", "1", "2"}, 1, "", "hddec-client: lanes failed: Invalid argument\n"},
        {true, nullptr, {"status", "2"}, 1, "", "hddec-client: there is no device 2 (the driver has 2: 0 to 1)\n"},
        {true, nullptr, {"status", "0"}, 0,
         "device 0:\n  rx status: 0 (no signal)\n  audio sample rate: 44100 Hz\n  rx block: nothing received\n"
         "  rx bit: 0x00\n",
         ""},
        {true, "fail hdmi on", {"status", "0"}, 1,
         "device 0:\n  rx status: 0 (no signal)\n  audio sample rate: 44100 Hz\n",
         "hddec-client: rx block: not read (Input/output error)\nhddec-client: rx bit: not read (Input/output error)\n"},
        {true, "fail hdmi off", {"status", "1"}, 0,
         "device 1:\n  rx status: not on this device\n  audio sample rate: 0 Hz\n  rx block: not on this device\n"
         "  rx bit: not on this device\n",
         ""},
        {true, "fail rep on", {"status", "0"}, 1,
         "device 0:\n  rx status: 0 (no signal)\n  rx block: nothing received\n  rx bit: 0x00\n",
         "hddec-client: audio sample rate: not read (Input/output error)\n"},
        {true, "fail rep off", {"wait", "-t", "300"}, 1, "", "hddec-client: no event within 300 ms\n"},
        {true, "latch io 6d 40", {"wait", "-t", "10000"}, 0, "device 0: events 0x80000000 (RX)\n  rx status: 0 (no signal)\n",
         ""},
        {true, nullptr, {"events", "0"}, 0, "device 0: events 0x00000000 (none)\n", ""},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const auto& a : c.args) line += " " + a;
        SCOPED_TRACE("hddec-client" + line);
        if (c.driver && !driver) {
            driver = std::make_unique<Process>(std::vector<std::string>{hu::testing::binPath("hdrx-adv748x")});
            ASSERT_TRUE(hu::testing::waitForServer(HDDEC_DEVICE_PATH));
        }
        if (c.chip != nullptr) {
            ASSERT_EQ("ok", control.command(c.chip));
        }
        std::vector<std::string> argv{hu::testing::binPath("hddec-client")};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        auto result = hu::testing::run(argv);
        EXPECT_EQ(c.exit_code, result.exit_code);
        EXPECT_PRED2(matches, c.out, result.out);
        EXPECT_EQ(c.err, result.err);
    }
}

}  // namespace
