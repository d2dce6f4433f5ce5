// cfgshell as a whole process: sessions through a pipe and through a pseudo-terminal, exit
// statuses, output redirection, the start-up logs and traces, its threads.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hu/slog_record.h"
#include "hu_testing.h"

namespace {

using hu::testing::Process;
using hu::testing::TempRoot;

const std::string kPrompt = "\nsyset:>";
const std::string kBanner = "#HW: zoq\n";

hu::testing::RunResult shell(const std::vector<std::string>& args, const std::string& input,
                             const Process::Options& options = {}) {
    std::vector<std::string> argv{hu::testing::binPath("cfgshell")};
    argv.insert(argv.end(), args.begin(), args.end());
    return hu::testing::run(argv, input, options);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The 28 command lines of the listing, from "dumpk" to "exit".
std::vector<std::string> commandLines(const std::string& output) {
    std::vector<std::string> lines = splitLines(output), commands;
    bool in = false;
    for (const std::string& l : lines) {
        if (l.rfind("dumpk", 0) == 0) in = true;
        if (in) commands.push_back(l);
        if (in && l.rfind("exit", 0) == 0) break;
    }
    return commands;
}

TEST(CfgshellTest, PipeSessionBannerPromptListingUnknownCommentExit) {
    TempRoot root;
    auto r = shell({"--noconnect"}, "?\nfoo bar\n#note\n   \nexit\n");
    EXPECT_EQ(1, r.exit_code);  // the unknown command was recorded
    ASSERT_EQ(0u, r.out.find(kBanner + kPrompt + "The SystemSettings Component shell, command line format is:\n"
                                                 "cfgshell [ --noconnect ] [ --help ] [ --setstate=<state> ]\n"));
    EXPECT_NE(std::string::npos,
              r.out.find("--help             - prints a brief info about command line options.\n\n"
                         "Most commands support wild-card symbols: '*', '?'; sets: [a-z], '!' negation.\n\n"
                         "dumpk       - Dump custom key as 'setk' command with arguments, syntax: dumpk[ey] "
                         "{<key_name>|<key_id>}.\n"));
    const std::vector<std::string> commands = commandLines(r.out);
    ASSERT_EQ(28u, commands.size());
    for (const std::string& line : commands) EXPECT_EQ(" - ", line.substr(11, 3)) << line;
    EXPECT_EQ("versioninfo - Get current version info, syntax: versioninfo", commands[19]);
    EXPECT_EQ("?           - Print list of avaliable commands", commands[26]);
    // After the listing: the error line of the unknown command, the comment's bare prompt,
    // nothing for the blank line, and no prompt after exit.
    const std::string tail = "exit        - Finish session and exit from this shell\n" + kPrompt +
                             "#ERROR:SYNTAX ERROR \n" + kPrompt + kPrompt;
    ASSERT_GE(r.out.size(), tail.size());
    EXPECT_EQ(tail, r.out.substr(r.out.size() - tail.size()));
}

TEST(CfgshellTest, ExitStatusFollowsTheErrorList) {
    struct Case {
        const char* input;
        int status;
        const char* output;  // after the banner and the first prompt
    } cases[] = {
        {"exit\n", 0, ""},
        {"help\nexit\n", 1, "#ERROR:SYNTAX ERROR \n\nsyset:>"},
        {"hel\nhelp\nlastres pre:\nexit\n", 0,
         "#ERROR:SYNTAX ERROR \n\nsyset:>#ERROR:SYNTAX ERROR \n\nsyset:>"
         "#ERROR:PROXY DISCONNECTED pre:ERRCLN_BADCOMMAND\n\nsyset:>"},
        {"GETK 5\nlastres\nexit\n", 0,
         "#ERROR:KEY NOT FOUND \n\nsyset:>#ERROR:PROXY DISCONNECTED ERRCLN_FAILED_GETKEY\n\nsyset:>"},
        {"lastres\nexit\n", 0, "#ERROR:PROXY DISCONNECTED \n\nsyset:>"},  // no "OK" on an error line
        {"sh echo hi\nexit\n", 0, "hi\n\nsyset:>"},  // records nothing
    };
    for (const Case& c : cases) {
        TempRoot root;
        auto r = shell({"--noconnect"}, c.input);
        EXPECT_EQ(c.status, r.exit_code) << c.input;
        EXPECT_EQ(kBanner + kPrompt + c.output, r.out) << c.input;
    }
}

TEST(CfgshellTest, ExitOnErrorEndsAfterTheFirstFailingLine) {
    TempRoot root;
    auto r = shell({"--noconnect", "--exitonerrorANDMORE"}, "#ok\nfoo\n?\nexit\n");
    EXPECT_EQ(1, r.exit_code);
    EXPECT_EQ(kBanner + kPrompt + kPrompt + "#ERROR:SYNTAX ERROR \n", r.out);
}

TEST(CfgshellTest, OptionPrefixesAndHelpAtStartUp) {
    TempRoot root;
    // "--noconnectX" counts as "--noconnect", "--hel" counts as nothing, "--help" lists.
    auto r = shell({"--noconnectX", "--hel", "--setstate="}, "exit\n");
    EXPECT_EQ(0, r.exit_code);
    EXPECT_EQ(kBanner + kPrompt, r.out);
    auto help = shell({"--noconnect", "--help"}, "exit\n");
    EXPECT_EQ(0, help.exit_code);
    EXPECT_EQ(0u, help.out.find(kBanner + "The SystemSettings Component shell"));
    EXPECT_EQ(28u, commandLines(help.out).size());
}

TEST(CfgshellTest, OutRedirectsResultsButNeverErrorLines) {
    TempRoot root;
    const std::string file = root.path() + "/out.txt";
    hu::testing::writeFile(file, "stale contents\n");
    const std::string input = "out " + file + "\n?\nfoo\nout " + root.path() + "/./out.txt\nout\n#\nexit\n";
    auto r = shell({"--noconnect"}, input);
    EXPECT_EQ(1, r.exit_code);
    // The terminal: the error line and "#FILE CLOSED" only.
    EXPECT_EQ(kBanner + kPrompt + kPrompt + kPrompt + "#ERROR:SYNTAX ERROR \n" + kPrompt + kPrompt + "#FILE CLOSED\n" +
                  kPrompt + kPrompt,
              r.out);
    const std::string written = hu::testing::readFile(file);
    EXPECT_EQ(0u, written.find("#FILE OPENED\nThe SystemSettings Component shell"));
    EXPECT_EQ(std::string::npos, written.find("stale"));
    EXPECT_EQ(28u, commandLines(written).size());
    const std::string end = "exit        - Finish session and exit from this shell\n#FILE OPENED\n";
    EXPECT_EQ(end, written.substr(written.size() - end.size()));
}

TEST(CfgshellTest, OutFailuresAreInvalid) {
    TempRoot root;
    auto r = shell({"--noconnect"}, "out\nout " + root.path() + "/no/such/dir/x\nlastres\nexit\n");
    EXPECT_EQ(0, r.exit_code);
    EXPECT_EQ(kBanner + kPrompt + "#ERROR:INVALID \n" + kPrompt + "#ERROR:INVALID \n" + kPrompt +
                  "#ERROR:PROXY DISCONNECTED ERRCLN_FAILED_OUT\n" + kPrompt,
              r.out);
}

// Each expected text appears in lines after the one before.
void expectInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
    size_t from = 0;
    for (const std::string& e : expected) {
        size_t at = from;
        while (at < lines.size() && lines[at].find(e) == std::string::npos) ++at;
        EXPECT_LT(at, lines.size()) << "missing or out of order: " << e;
        if (at < lines.size()) from = at + 1;
    }
}

std::vector<std::string> linesOf(const std::vector<std::string>& lines, const std::string& thread) {
    std::vector<std::string> selected;
    for (const std::string& l : lines) {
        if (l.find(" " + thread + " ") != std::string::npos) selected.push_back(l);
    }
    return selected;
}

TEST(CfgshellTest, StartUpAndShutdownLogsAndTracesInOrder) {
    TempRoot root;
    Process logger({hu::testing::binPath("slogger")});
    ASSERT_TRUE(hu::testing::waitUntil([&] { return access(root.host("/dev/slog").c_str(), F_OK) == 0; }));
    const std::string traceFile = root.path() + "/trace.txt";
    Process::Options options;
    options.env["QF_TRACE"] = "sys_kestrel_appbase_application_base_QFApplication,sys_data_systemsettings_shell_CDorerShell";
    options.env["QF_TRACE_FILE"] = traceFile;
    auto r = shell({"--noconnect", "extra"}, "exit\n", options);
    EXPECT_EQ(0, r.exit_code);

    std::vector<std::string> logs;
    ASSERT_TRUE(hu::testing::waitUntil([&] {
        logs.clear();
        for (const auto& record : hu::slog::readFile(root.host("/var/log/slog"))) logs.push_back(record.text);
        return !logs.empty() && logs.back().find("terminating application") != std::string::npos;
    }));
    expectInOrder(logs, {"application cfgshell started (watchdog is disabled)", "Kestrelv2 version is NoVersion",
                         "starting startup sequence", "starting watchdog thread", "initializing trace environment",
                         "Sequence result: 'Success'", "terminating application with exit code 0"});
    EXPECT_EQ(0u, logs.back().find("terminating application with exit code 0"));

    // The main thread runs the sequence; the root component boots on "CfgShell" in between.
    const std::vector<std::string> traces = splitLines(hu::testing::readFile(traceFile));
    expectInOrder(linesOf(traces, "MainThread"), {
        "TRACE MainThread sys_kestrel_appbase_application_base_QFApplication: starting PIQ receiver thread",
        "starting PIQ sender thread",
        "starting service threads",
        "starting with root component Root:0 1",
        "starting application",
        "startup sequence finished. Waiting for shutdown/restart request",
        "starting shutdown sequence",
        "terminating service threads",
        "terminating piq sender thread",
        "terminating the TCP piq receiver thread",
        "terminating piq receiver thread",
        "terminating trace thread",
        "terminating watchdog thread",
        "shutdown sequence finished",
        "terminating application with exit code 0",
    });
    expectInOrder(linesOf(traces, "CfgShell"), {
        "TRACE CfgShell sys_data_systemsettings_shell_CDorerShell: CDorerShell::requestBoot()",
        "CDorerShell::requestBoot() : bootParam [0] = --noconnect ",
        "CDorerShell::requestBoot() : bootParam [1] = extra ",
    });
    expectInOrder(traces, {"starting application", "CDorerShell::requestBoot()", "starting shutdown sequence"});
}

std::set<std::string> threadNames(pid_t pid) {
    std::set<std::string> names;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.') continue;
            std::ifstream in(dir + "/" + e->d_name + "/comm");
            std::string name;
            if (std::getline(in, name)) names.insert(name);
        }
        closedir(d);
    }
    return names;
}

TEST(CfgshellTest, ThreadsAndNoTraceThreadWhenTraceIsDisabled) {
    for (bool disabled : {false, true}) {
        TempRoot root;
        Process::Options options;
        options.pipe_stdin = true;
        if (disabled) options.env["QF_DISABLE_TRACE"] = "";
        Process p({hu::testing::binPath("cfgshell"), "--noconnect"}, options);
        ASSERT_TRUE(hu::testing::waitUntil([&] { return p.out().find(kPrompt) != std::string::npos; }));
        std::set<std::string> expected{"cfgshell", "Watchdog", "PIQSend", "PIQReceive", "PIQTCPReceive", "CfgShell",
                                       "DorerShellFileI"};
        if (!disabled) expected.insert("Trace");
        EXPECT_TRUE(hu::testing::waitUntil([&] { return threadNames(p.pid()) == expected; })) << disabled;
        // SIGTERM while the worker waits for input: a clean end.
        EXPECT_EQ(0, WEXITSTATUS(p.stop(SIGTERM)));
        const std::string fallback = hu::testing::readFile(root.host("/var/log/slog.fallback"));
        EXPECT_EQ(disabled, fallback.find("initializing trace environment") == std::string::npos);
    }
}

// Reads from the terminal's master side until text has arrived (up to 10 s).
bool readUntil(int master, std::string& seen, const std::string& text) {
    return hu::testing::waitUntil([&] {
        struct pollfd p = {master, POLLIN, 0};
        while (poll(&p, 1, 0) > 0) {
            char buf[4096];
            const ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0) break;
            seen.append(buf, static_cast<size_t>(n));
        }
        return seen.find(text) != std::string::npos;
    });
}

TEST(CfgshellTest, TerminalSession) {
    TempRoot root;
    int master = -1;
    const std::string bin = hu::testing::binPath("cfgshell");
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(bin.c_str(), bin.c_str(), "--noconnect", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    ASSERT_TRUE(readUntil(master, seen, "#HW: zoq\r\n\r\nsyset:>")) << seen;
    ASSERT_EQ(2, write(master, "?\n", 2));
    EXPECT_TRUE(readUntil(master, seen, "exit        - Finish session and exit from this shell\r\n\r\nsyset:>")) << seen;
    ASSERT_EQ(4, write(master, "foo\n", 4));
    EXPECT_TRUE(readUntil(master, seen, "foo\r\n#ERROR:SYNTAX ERROR \r\n\r\nsyset:>")) << seen;  // typed text echoes
    ASSERT_EQ(5, write(master, "exit\n", 5));
    int status = -1;
    ASSERT_TRUE(hu::testing::waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }));
    EXPECT_EQ(1, WEXITSTATUS(status));
    close(master);
}

// Without a settings server a script does not hang: connect gives up after its limit (here
// 1 s at a fifth of its time), the script goes on and ends with exit status 1. At a terminal
// the shell keeps waiting and says so once.
TEST(CfgshellTest, WithoutAServerAScriptEndsAndATerminalWaits) {
    TempRoot root;
    Process::Options options;
    options.env = {{"QF_TIME_SCALE", "0.2"}};
    const std::string disconnected = "#ERROR:PROXY DISCONNECTED \n";
    auto r = shell({"--connectwait=1"}, "getstate\nlastres\ngetstate\nexit\n", options);
    EXPECT_EQ(kBanner + disconnected + disconnected + kPrompt + disconnected + kPrompt +
                  "#ERROR:PROXY DISCONNECTED ERRCLN_FAILED_CONNECT,ERRCLN_FAILED_GETSTATE\n" + kPrompt + disconnected +
                  kPrompt,
              r.out);
    EXPECT_EQ(1, r.exit_code);
    EXPECT_EQ(std::string::npos, r.err.find("waiting"));

    int master = -1;
    const std::string bin = hu::testing::binPath("cfgshell");
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("QF_TIME_SCALE", "0.2", 1);
        execl(bin.c_str(), bin.c_str(), "--connectwait=1", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    ASSERT_TRUE(readUntil(master, seen, "cfgshell: waiting for the settings service\r\n")) << seen;
    EXPECT_EQ(std::string::npos, seen.find("PROXY DISCONNECTED"));
    EXPECT_EQ(0, waitpid(pid, nullptr, WNOHANG));
    kill(pid, SIGTERM);
    int status = -1;
    ASSERT_TRUE(hu::testing::waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }));
    close(master);
}

}  // namespace
