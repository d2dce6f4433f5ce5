// vwdtool against the video watchdog client substitute: the calls it makes, in order and
// with their arguments, and what the listeners print.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hu/journal.h"
#include "hu/path.h"
#include "hu_testing.h"

namespace {

using hu::testing::RunResult;
using hu::testing::TempRoot;
using Lines = std::vector<std::string>;

const char kJournal[] = "/var/log/vwd.journal";

RunResult vwdtool(std::vector<std::string> args) {
    args.insert(args.begin(), hu::testing::binPath("vwdtool"));
    return hu::testing::run(args);
}

TEST(VwdtoolTest, AnyOtherCommandLineShowsTheUsageAndCallsNothing) {
    const std::string p = hu::testing::binPath("vwdtool");
    const std::string usage = p + "\n\nUSAGE:\n" + p + " info\n" + p + " dump\n" + p +
                              " add watchdog-id surface-id x y\n" + p + " wait watchdog-id surface-id x y\n" + p +
                              " remove watchdog-id\n" + p + " historyscreenshot filename\n" + p +
                              " historyscreenshot watchdog-id filename\n\nEXAMPLE:\n" + p + " add 1 1052 0 0\n";
    std::vector<std::vector<std::string>> command_lines = {
        {}, {"list"}, {"INFO"}, {"info", "1"}, {"dump", "1", "2"}, {"add", "1", "1052", "0"},
        {"wait", "1", "1052", "0", "0", "0"}, {"remove"}, {"historyscreenshot"}, {"historyscreenshot", "1", "a", "b"},
    };
    for (const auto& args : command_lines) {
        SCOPED_TRACE(args.empty() ? "(none)" : args[0] + " +" + std::to_string(args.size() - 1));
        TempRoot root;
        RunResult r = vwdtool(args);
        EXPECT_EQ(0, r.exit_code);
        EXPECT_EQ(usage, r.out);
        EXPECT_EQ("", r.err);
        EXPECT_TRUE(hu::journal::read(kJournal).empty());
    }
}

TEST(VwdtoolTest, EachCommandMakesItsCallsBetweenCreateAndDestroy) {
    struct Case {
        std::vector<std::string> args;
        Lines calls;  // between create and destroy
        std::string out;
    } cases[] = {
        {{"add", "1", "1052", "0", "0"}, {"vwdClientAddWatchdog 1 1052 0 0"}, ""},
        {{"add", "0x10", "010", "12abc", "x"}, {"vwdClientAddWatchdog 16 8 12 0"}, ""},
        {{"dump"}, {"vwdClientAnalyze 1"}, ""},
        {{"dump", "0x3"}, {"vwdClientAnalyze 3"}, ""},
        {{"remove", "watchdog"}, {"vwdClientRemoveWatchdog 0"}, ""},
        // Numbers as the target's 32-bit unsigned long takes them.
        {{"remove", "4294967296"}, {"vwdClientRemoveWatchdog 4294967295"}, ""},
        {{"remove", "99999999999999999999999"}, {"vwdClientRemoveWatchdog 4294967295"}, ""},
        {{"add", "-1", "0xFFFFFFFF", "4294967295", "-4294967295"},
         {"vwdClientAddWatchdog 4294967295 4294967295 4294967295 1"},
         ""},
        {{"add", " +7", "-0x2", "--3", "- 4"}, {"vwdClientAddWatchdog 7 4294967294 0 0"}, ""},
        {{"historyscreenshot", "/tmp/shots"}, {"vwdClientHistoryScreenshotAll /tmp/shots"}, ""},
        {{"historyscreenshot", "017", "/tmp/shot"}, {"vwdClientHistoryScreenshot 15 /tmp/shot"}, ""},
        {{"info"}, {"vwdClientRegisterWatchdogDumpListener", "vwdClientDumpWatchdogs"}, "no watchdogs\n"},
        {{"wait", "5", "1052", "1", "2"}, {"vwdClientRegisterWatchdogOccuredListener", "vwdClientAddWatchdog 5 1052 1 2"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        TempRoot root;
        RunResult r = vwdtool(c.args);
        EXPECT_EQ(0, r.exit_code);
        EXPECT_EQ(c.out, r.out);
        EXPECT_EQ("", r.err);
        Lines expected = {"vwdClientCreate 0"};
        expected.insert(expected.end(), c.calls.begin(), c.calls.end());
        expected.push_back("vwdClientDestroy");
        EXPECT_EQ(expected, hu::journal::read(kJournal));
    }
}

TEST(VwdtoolTest, ListenersPrintWhatTheServiceDelivers) {
    TempRoot root;
    vwdtool({"add", "1", "1052", "0", "0"});
    vwdtool({"add", "2", "1053", "640", "0"});
    vwdtool({"add", "3", "1054", "0", "360"});
    vwdtool({"remove", "2"});
    EXPECT_EQ("watchdog 1: surface 1052 at (0, 0)\nwatchdog 3: surface 1054 at (0, 360)\n", vwdtool({"info"}).out);

    hu::testing::writeFile(root.host("/var/run/vwd/frozen"), "1054 42\n");
    EXPECT_EQ("", vwdtool({"wait", "4", "1052", "0", "0"}).out);
    EXPECT_EQ("occured 5: 42\n", vwdtool({"wait", "5", "1054", "0", "0"}).out);
    EXPECT_EQ("", vwdtool({"add", "6", "1054", "0", "0"}).out);  // nobody listens
}

TEST(VwdtoolTest, ZlibIsLinkedIn) {
    RunResult r = hu::testing::run({"/usr/bin/env", "LD_TRACE_LOADED_OBJECTS=1", hu::testing::binPath("vwdtool")});
    EXPECT_NE(std::string::npos, r.out.find("libz.so")) << r.out;
}

}  // namespace
