// "/dev/FlashTerm" end to end: FlashTerm under Xvfb, fed by FlashClient and by raw messages.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "flashterm/term_msg.h"
#include "hu/path.h"
#include "running_terminal.h"

namespace {

using flashterm_test::barMessage;
using flashterm_test::dumpLines;
using flashterm_test::items;
using flashterm_test::RunningTerminal;
using hu::testing::binPath;
using hu::testing::run;

const char kTerminalUsage[] =
    "FlashTerm -p <font path> [-R] [-l <logo image>] [-t <logo time>] [-B <background color>] [-F <foreground "
    "color>] [-S <status line color>] [-P <progrss bar name color>] [-f <font size>]\n";
const char kClientUsage[] =
    "\nUsage:\nFlashClient [-w <text>] [-s <status>] [-S | -P] [-r <reference name> [-n <display name>] [-p "
    "<progress>] [-i <interval>]]\n";

// The value of the dump line starting with key ("" when absent).
std::string field(const std::string& dump, const std::string& key) {
    for (const std::string& line : dumpLines(dump)) {
        if (line.rfind(key + " ", 0) == 0) return line.substr(key.size() + 1);
    }
    return "";
}

// Waits for the tick after now and returns its dump.
std::string stateAfterTick(RunningTerminal& terminal) {
    EXPECT_TRUE(terminal.nextTick());
    return terminal.state();
}

TEST(FlashTermCommandLine, BadArgumentsPrintTheErrorAndTheUsage) {
    hu::testing::TempRoot root;
    struct Case {
        std::vector<std::string> args;
        std::string err;
        int status;
    } cases[] = {
        {{"-h"}, kTerminalUsage, 0},
        {{"-x"}, std::string("Error! Unexpected option: -x\n") + kTerminalUsage, 1},
        {{"-p"}, std::string("Error! Option argument missing: -p\n") + kTerminalUsage, 1},
        {{"-p", "font.ttf", "extra"}, std::string("Error! Unexpected operand: extra\n") + kTerminalUsage, 1},
        {{"-R"}, std::string("-p <font path> is mandatory option\n") + kTerminalUsage, 1},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    for (const char* size : {"0", "-3", "abc", "12x", "", "151", "99999999999"}) {
        all.push_back({{"-p", "font.ttf", "-f", size}, std::string("Error! Invalid font size: ") + size + "\n" +
                                                           kTerminalUsage, 1});
    }
    for (const Case& c : all) {
        std::vector<std::string> argv = {binPath("FlashTerm")};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        hu::testing::RunResult result = run(argv);
        EXPECT_EQ(result.exit_code, c.status) << c.args.back();
        EXPECT_EQ(result.err, c.err) << c.args.back();
    }
}

// FlashTerm run to its end on a private X server; the terminal's path must never appear.
hu::testing::RunResult runTerminalToItsEnd(const hu::testing::TempRoot& root, const std::vector<std::string>& args) {
    hu::testing::XvfbServer xvfb(320, 240);
    std::vector<std::string> argv = {binPath("FlashTerm")};
    argv.insert(argv.end(), args.begin(), args.end());
    hu::testing::Process::Options options;
    options.env = {{"DISPLAY", xvfb.display()}};
    hu::testing::RunResult result = run(argv, "", options);
    EXPECT_NE(access(root.host("/dev/FlashTerm").c_str(), F_OK), 0) << "path attached";
    return result;
}

TEST(FlashTermStartUp, ALogoThatCannotBeLoadedEndsTheTerminalBeforeItsPathExists) {
    hu::testing::TempRoot root;
    hu::testing::writeFile(root.path() + "/not-an-image.png", "plain text\n");
    for (std::string logo : {root.path() + "/missing.png", root.path() + "/not-an-image.png", root.path()}) {
        hu::testing::RunResult result = runTerminalToItsEnd(root, {"-p", flashterm_test::kFontPath, "-l", logo});
        EXPECT_EQ(result.exit_code, 255) << logo;
        EXPECT_NE(result.err.find("img_load_file(" + logo + ") failed: "), std::string::npos) << result.err;
    }
}

TEST(FlashTermStartUp, AFontThatCannotBeLoadedIsNamedAndTheTerminalStillServes) {
    hu::testing::TempRoot files;
    for (std::string font : {files.path() + "/missing.ttf", files.path()}) {
        RunningTerminal terminal({"-p", font});
        ASSERT_TRUE(terminal.up()) << terminal.log();
        ASSERT_EQ(terminal.setStatus("no font"), EOK);
        EXPECT_EQ(field(stateAfterTick(terminal), "status"), "no font");
        EXPECT_NE(terminal.log().find("FreeType: cannot load the font '" + font + "': no text will be shown\n"),
                  std::string::npos)
            << terminal.log();
    }
}

TEST(FlashClientCommandLine, ErrorsPrintTheirLineAndExitOne) {
    hu::testing::TempRoot root;  // no terminal in it
    struct Case {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"-x"}, std::string("Error! Unexpected option: -x\n") + kClientUsage},
        {{"-w"}, std::string("Error! Option argument missing: -w\n") + kClientUsage},
        {{"-s", "ok", "operand"}, std::string("Error! Unexpected operand: operand\n") + kClientUsage},
        {{"-s", "ok"}, "Error! No such file or directory\n"},
        {{}, "Error! No such file or directory\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {binPath("FlashClient")};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        hu::testing::RunResult result = run(argv);
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_EQ(result.err, c.err);
    }
}

TEST(FlashClientCommandLine, APlainFileUnderTheTerminalsNameIsNoTerminal) {
    hu::testing::TempRoot root;
    hu::makeDirs(root.host("/dev"));
    hu::testing::writeFile(root.host("/dev/FlashTerm"), "kept\n");
    for (std::vector<std::string> args : {std::vector<std::string>{"-w", "text"}, {"-s", "status"}, {}}) {
        args.insert(args.begin(), binPath("FlashClient"));
        hu::testing::RunResult result = run(args);
        EXPECT_EQ(result.exit_code, 1) << args.size();
        EXPECT_EQ(result.err, std::string("Error! ") + strerror(ENODEV) + "\n");
    }
    EXPECT_EQ(hu::testing::readFile(root.host("/dev/FlashTerm")), "kept\n");
}

TEST(FlashClient, SendsStatusClockTextAndABarThatStepsToHundred) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    hu::testing::RunResult result = run({binPath("FlashClient"), "-s", "Updating", "-S", "-w", "first\nsecond", "-r",
                                         "boot", "-n", "Bootloader", "-p", "98", "-i", "1"});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::string dump = stateAfterTick(terminal);
    EXPECT_EQ(field(dump, "status"), "Updating");
    EXPECT_EQ(field(dump, "clock_running"), "1");
    ASSERT_EQ(items(dump).size(), 3u);
    EXPECT_EQ(items(dump)[0], "line first");
    EXPECT_EQ(items(dump)[1], "line second");
    EXPECT_EQ(items(dump)[2].rfind("bar boot\tBootloader\t100\t", 0), 0u) << items(dump)[2];

    // No message options: open only. An empty status clears the text; -P stops the clock.
    EXPECT_EQ(run({binPath("FlashClient")}).exit_code, 0);
    EXPECT_EQ(run({binPath("FlashClient"), "-s", "", "-S", "-P"}).exit_code, 0);
    dump = stateAfterTick(terminal);
    EXPECT_NE(dump.find("\nstatus \n"), std::string::npos) << dump;
    EXPECT_EQ(field(dump, "clock_running"), "0");
    EXPECT_EQ(items(dump).size(), 3u);
}

TEST(FlashClient, RefusesAControlMessageTooLargeForTheTerminal) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    std::string fits(TERM_MAX_PAYLOAD - 1, 's');
    EXPECT_EQ(run({binPath("FlashClient"), "-s", fits}).exit_code, 0);
    hu::testing::RunResult result = run({binPath("FlashClient"), "-s", fits + "s"});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.err, std::string("Error! ") + strerror(EMSGSIZE) + "\n");
    EXPECT_EQ(field(stateAfterTick(terminal), "status"), fits);
}

TEST(FlashTerm, BarsKeepTheirFirstProgressAndTheirTimeStopsAtHundred) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    ASSERT_EQ(terminal.addBar("a", "Alpha", 100), EOK);
    ASSERT_EQ(terminal.addBar("b", "Beta", 10), EOK);
    ASSERT_EQ(terminal.addBar("b", "Other", 70), EOK);  // same reference: nothing changes
    ASSERT_EQ(terminal.setProgress("missing", 40), EOK);
    std::string dump = stateAfterTick(terminal);
    ASSERT_EQ(items(dump).size(), 2u) << dump;
    EXPECT_EQ(items(dump)[0], "bar a\tAlpha\t100\t0");
    EXPECT_EQ(items(dump)[1].rfind("bar b\tBeta\t10\t", 0), 0u) << dump;

    ASSERT_EQ(terminal.setProgress("a", 50), EOK);
    dump = stateAfterTick(terminal);
    dump = stateAfterTick(terminal);
    EXPECT_EQ(items(dump)[0].rfind("bar a\tAlpha\t50\t", 0), 0u) << dump;
    EXPECT_NE(items(dump)[0], "bar a\tAlpha\t50\t0") << "counts again below 100";
}

TEST(FlashTerm, ClockPausesAndResumesWithoutGoingBack) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    EXPECT_EQ(field(stateAfterTick(terminal), "flash_seconds"), "0");
    ASSERT_EQ(terminal.setClock(1), EOK);
    ASSERT_TRUE(hu::testing::waitUntil([&] { return std::stoi("0" + field(terminal.state(), "flash_seconds")) >= 2; }));
    ASSERT_EQ(terminal.setClock(0), EOK);
    std::string held = field(stateAfterTick(terminal), "flash_seconds");
    stateAfterTick(terminal);
    EXPECT_EQ(field(stateAfterTick(terminal), "flash_seconds"), held);
    ASSERT_EQ(terminal.setClock(1), EOK);
    EXPECT_EQ(std::stoi(field(stateAfterTick(terminal), "flash_seconds")), std::stoi(held) + 1);
}

TEST(FlashTerm, WritesTakeTextUpToTheFirstNulAndReportEveryByte) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    EXPECT_EQ(terminal.write(std::string("same\n", 5)), 5);
    EXPECT_EQ(terminal.write(std::string("same\n\0", 6)), 6);
    EXPECT_EQ(terminal.write(std::string("cut\0ignored", 11)), 11);
    EXPECT_EQ(terminal.write(""), 0);
    EXPECT_EQ(items(stateAfterTick(terminal)), (std::vector<std::string>{"line same", "line same", "line cut"}));
}

TEST(FlashTerm, ContentWaitsForTheLogoTime) {
    hu::testing::TempRoot files;
    hu::png::Image logo;
    logo.width = logo.height = 8;
    logo.rgba.assign(8 * 8 * 4, 255);
    std::string logo_path = files.path() + "/logo.png";
    ASSERT_TRUE(hu::png::writeAtomically(logo_path, logo));
    RunningTerminal terminal({"-l", logo_path, "-t", "3"});
    ASSERT_TRUE(terminal.up()) << terminal.log();
    ASSERT_EQ(terminal.setStatus("early"), EOK);
    auto status_band_shown = [&] {
        hu::png::Image frame = terminal.frame();
        return frame.width > 20 && frame.pixel(15, 0)[0] == 0xC4;
    };
    // The frame is read before the tick count: a count below 2 proves tick 3 had not come.
    bool band_early = status_band_shown();
    if (terminal.tickCount() < 2) {
        EXPECT_FALSE(band_early) << "logo until tick 3";
    }
    while (terminal.tickCount() < 3) ASSERT_TRUE(terminal.nextTick());
    EXPECT_TRUE(status_band_shown());
    EXPECT_EQ(field(terminal.state(), "status"), "early");
}

TEST(FlashTerm, RefusesControlMessagesThatLeaveTheirPayloadAndKeepsServing) {
    RunningTerminal terminal;
    ASSERT_TRUE(terminal.up()) << terminal.log();
    auto bar = [](int32_t ref_offset, int32_t name_offset, const std::string& strings) {
        std::vector<char> message(sizeof(term_bar_msg_t));
        term_bar_msg_t head{ref_offset, name_offset, 5};
        memcpy(message.data(), &head, sizeof head);
        message.insert(message.end(), strings.begin(), strings.end());
        return message;
    };
    struct Case {
        const char* what;
        int dcmd;
        std::vector<char> payload;
        int status;
    } cases[] = {
        {"status without NUL", DCMD_TERM_SET_STATUS, {'a', 'b'}, EINVAL},
        {"empty status", DCMD_TERM_SET_STATUS, {}, EINVAL},
        {"short clock", DCMD_TERM_SET_CLOCK, {1, 0}, EINVAL},
        {"empty bar", DCMD_TERM_ADD_BAR, {}, EINVAL},
        {"bar shorter than its record", DCMD_TERM_ADD_BAR, {0, 0, 0, 0, 2, 0, 0, 0}, EINVAL},
        {"reference past the payload", DCMD_TERM_ADD_BAR, bar(100, 0, std::string("r\0n\0", 4)), EINVAL},
        {"negative reference offset", DCMD_TERM_ADD_BAR, bar(-12, 2, std::string("r\0n\0", 4)), EINVAL},
        {"name past the payload", DCMD_TERM_ADD_BAR, bar(0, 4, std::string("r\0n\0", 4)), EINVAL},
        {"name without NUL", DCMD_TERM_ADD_BAR, bar(0, 2, std::string("r\0nn", 4)), EINVAL},
        {"progress reference without NUL", DCMD_TERM_SET_PROGRESS, bar(0, 0, "rrr"), EINVAL},
        {"over-size status", DCMD_TERM_SET_STATUS, std::vector<char>(TERM_MAX_PAYLOAD + 1, 0), EMSGSIZE},
        {"unknown command", __DIOT(_DCMD_MISC, 9, int32_t), {0, 0, 0, 0}, ENOSYS},
    };
    for (Case& c : cases) {
        EXPECT_EQ(devctl(terminal.fd(), c.dcmd, c.payload.data(), c.payload.size(), nullptr), c.status) << c.what;
    }
    std::vector<char> valid = barMessage("r", "n", 5);
    EXPECT_EQ(devctl(terminal.fd(), DCMD_TERM_ADD_BAR, valid.data(), valid.size(), nullptr), EOK);
    std::string dump = stateAfterTick(terminal);
    EXPECT_EQ(field(dump, "clock_running"), "0");
    EXPECT_EQ(dump.find("\nstatus"), std::string::npos) << dump;
    EXPECT_EQ(items(dump), (std::vector<std::string>{"bar r\tn\t5\t1"}));
}

}  // namespace
