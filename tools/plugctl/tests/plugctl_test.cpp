// plugctl against the resource-monitor client substitute: help, the '--n' rule, known and
// unknown tools, and names too long for the tool-name buffer.
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

const char kJournal[] = "/var/log/rmx.journal";
const char kHelp[] =
    "\nplugctl - RMX plugins & preload libs controlling tool\n\nusage: plugctl <options>\n\nOptions:\n\n"
    "   --h   this help\n"
    "   --n<toolname> [<tool_control_options>] [<tool_options>]   control a tool\n"
    "   --Q   QUIT all running tools (no option for preload libs)\n\n"
    " call plugctl --n<toolname> --h for detailed option description\n";
const char kNameFirst[] = "[plugctl]: '--n' option must be specified first\n";

class PlugctlTest : public ::testing::Test {
protected:
    TempRoot root;
    std::string bin = hu::testing::binPath("plugctl");
    std::string long_name = std::string(103, 'm');

    void SetUp() override {
        hu::makeDirs(root.host("/etc/rmx"));
        hu::testing::writeFile(root.host("/etc/rmx/tools"), "memprof\ncpuload\n" + long_name + "\n");
    }
    RunResult plugctl(std::vector<std::string> args) {
        args.insert(args.begin(), bin);
        return hu::testing::run(args);
    }
};

TEST_F(PlugctlTest, HelpAndTheToolNameRule) {
    struct Case {
        std::vector<std::string> args;
        int exit_code;
        const char* out;
    } cases[] = {
        {{"-h"}, 0, kHelp},
        {{"--h"}, 0, kHelp},
        {{}, 255, kNameFirst},
        {{"-h", "x"}, 255, kNameFirst},
        {{"--h", "--nmemprof"}, 255, kNameFirst},
        {{"-nmemprof", "-q"}, 255, kNameFirst},
        {{"-q", "--nmemprof"}, 255, kNameFirst},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        RunResult r = plugctl(c.args);
        EXPECT_EQ(c.exit_code, r.exit_code);
        EXPECT_EQ(c.out, r.out);
        EXPECT_TRUE(hu::journal::read(kJournal).empty());
    }
}

TEST_F(PlugctlTest, AKnownToolGetsTheWholeCommandLine) {
    RunResult r = plugctl({"--nmemprof", "-q"});
    EXPECT_EQ(0, r.exit_code);
    EXPECT_EQ("", r.out);
    EXPECT_EQ((Lines{"getopt_client n memprof", "rmx_plugin_exec memprof 3 " + bin + " --nmemprof -q = 0"}),
              hu::journal::read(kJournal));

    RunResult help = plugctl({"--n", "cpuload", "--h"});
    EXPECT_EQ(0, help.exit_code);
    EXPECT_EQ("cpuload: tool control options\nplugctl does not show trigger options. Use specific tool cmd instead\n",
              help.out);
}

TEST_F(PlugctlTest, AnUnknownToolIsRefused) {
    RunResult r = plugctl({"--nfoo", "-s", "1,3"});
    EXPECT_EQ(255, r.exit_code);
    EXPECT_EQ("foo is probably not a rmx tool!\n", r.out);
    EXPECT_EQ((Lines{"getopt_client n foo", "rmx_plugin_exec foo 4 " + bin + " --nfoo -s 1,3 = -1"}),
              hu::journal::read(kJournal));
}

TEST_F(PlugctlTest, ANameTooLongForTheBufferIsRefusedBeforeAnyRequest) {
    EXPECT_EQ(0, plugctl({"--n" + long_name, "-q"}).exit_code);  // 103 characters fit

    std::string longer = long_name + "m";
    remove(root.host(kJournal).c_str());
    RunResult r = plugctl({"--n" + longer, "-q"});
    EXPECT_EQ(255, r.exit_code);
    EXPECT_EQ("[plugctl]: tool name longer than 103 characters: " + longer + "\n", r.out);
    EXPECT_EQ((Lines{"getopt_client n " + longer}), hu::journal::read(kJournal));
}

TEST_F(PlugctlTest, QuitAllAloneGoesToTheResourceMonitorAndANameOptionNeedsItsName) {
    for (const char* quit : {"--Q", "-Q"}) {
        remove(root.host(kJournal).c_str());
        RunResult r = plugctl({quit});
        EXPECT_EQ(0, r.exit_code) << quit;
        EXPECT_EQ("", r.out);
        EXPECT_EQ((Lines{"rmx_plugin_exec  2 " + bin + " " + quit + " = 0"}), hu::journal::read(kJournal));
    }

    remove(root.host(kJournal).c_str());
    RunResult r = plugctl({"--n"});
    EXPECT_EQ(255, r.exit_code);
    EXPECT_EQ("", r.out);
    EXPECT_EQ((Lines{"getopt_client ?"}), hu::journal::read(kJournal));
    EXPECT_EQ(255, plugctl({"--Q", "--nmemprof"}).exit_code) << "--Q with more is no quit-all";
}

}  // namespace
