// cfgshell as a script engine: commands per second for a script of 10,000 setk/getk lines
// and one store through a pipe, beside the floor of one two-thread event ping-pong per
// command (the hand-over between the reading thread and the component thread); and the
// start-up time to the first prompt. With sysetsrvora built, the shell talks to it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "hu/path.h"
#include "hu_testing.h"
#include "rounds.h"

namespace {

constexpr int kScriptLines = 10000;

std::string g_script;
std::vector<std::string> g_shell_args;
long g_peak_kib = 0;

std::string makeScript() {
    std::string script;
    for (int i = 0; i < kScriptLines / 2; ++i) {
        script += "setk ProgrammingCounter=" + std::to_string(i % 1000) + "\n";
        script += "getk ProgrammingCounter\n";
    }
    return script + "store\nexit\n";
}

// The shell logs a line per completed command: to a logger, as on the unit, or, with none
// listening, to the fallback file.
void runSession(benchmark::State& state, bool withLogger) {
    std::unique_ptr<hu::testing::Process> logger;
    if (withLogger) {
        logger = std::make_unique<hu::testing::Process>(std::vector<std::string>{hu::testing::binPath("slogger")});
        if (!hu::testing::waitUntil([] { return access(hu::resolve("/dev/slog").c_str(), F_OK) == 0; })) {
            state.SkipWithError("no logger");
            return;
        }
    }
    for (auto _ : state) {
        hu::testing::Process::Options options;
        options.pipe_stdin = true;
        hu::testing::Process shell(g_shell_args, options);
        shell.writeStdin(g_script);
        shell.closeStdin();
        // VmHWM can only be read while the process lives: sample it until the end.
        hu::testing::waitUntil(
            [&] {
                g_peak_kib = std::max(g_peak_kib, shell.peakResidentKiB());
                return !shell.running();
            },
            std::chrono::seconds(120));
    }
    state.SetItemsProcessed(state.iterations() * (kScriptLines + 1));
    if (logger) {
        logger.reset();
        unlink(hu::resolve("/dev/slog").c_str());
    }
}

void BM_ScriptedSession(benchmark::State& state) { runSession(state, true); }
BENCHMARK(BM_ScriptedSession)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_ScriptedSessionNoLogger(benchmark::State& state) { runSession(state, false); }
BENCHMARK(BM_ScriptedSessionNoLogger)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// One hand-over each way per command, as between the shell's reader and component threads.
void BM_EventPingPongFloor(benchmark::State& state) {
    std::mutex mutex;
    std::condition_variable changed;
    long turn = 0;  // even: the reader's turn, odd: the component thread's
    bool done = false;
    std::thread component([&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return done || turn % 2 == 1; });
            if (done) return;
            ++turn;
            changed.notify_all();
        }
    });
    for (auto _ : state) {
        for (int i = 0; i < kScriptLines + 1; ++i) {
            std::unique_lock<std::mutex> lock(mutex);
            ++turn;
            changed.notify_all();
            changed.wait(lock, [&] { return turn % 2 == 0; });
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
    }
    changed.notify_all();
    component.join();
    state.SetItemsProcessed(state.iterations() * (kScriptLines + 1));
}
BENCHMARK(BM_EventPingPongFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

// Until the prompt "\nsyset:>" has been written.
void BM_StartupToPrompt(benchmark::State& state) {
    for (auto _ : state) {
        int out[2], in[2];
        if (pipe(out) != 0 || pipe(in) != 0) {
            state.SkipWithError("pipe");
            return;
        }
        pid_t pid = fork();
        if (pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            std::vector<char*> argv;
            for (auto& a : g_shell_args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        close(in[0]);
        std::string seen;
        char buffer[4096];
        while (seen.find("\nsyset:>") == std::string::npos) {
            ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0) break;
            seen.append(buffer, static_cast<size_t>(n));
        }
        state.PauseTiming();
        close(in[1]);
        close(out[0]);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToPrompt)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    hu::testing::TempRoot root;
    std::string suffix = std::to_string(getpid());
    setenv("DORER_PAGE", ("/hu_bench_page_" + suffix).c_str(), 1);
    setenv("DORER_PAGELOCK", ("/hu_bench_lock_" + suffix).c_str(), 1);
    g_script = makeScript();
    g_shell_args = {hu::testing::binPath("cfgshell")};
    std::unique_ptr<hu::testing::Process> server;
    if (access(hu::testing::binPath("sysetsrvora").c_str(), X_OK) == 0) {
        server = std::make_unique<hu::testing::Process>(
            std::vector<std::string>{hu::testing::binPath("sysetsrvora"), "--state=FullyOperable"});
    } else {
        g_shell_args.push_back("--noconnect");
    }
    int status = hu::bench::runRounds(
        argc, argv, {"BM_ScriptedSession", "BM_EventPingPongFloor", "BM_ScriptedSessionNoLogger", "BM_StartupToPrompt"},
        {{"BM_ScriptedSession", "BM_EventPingPongFloor"}, {"BM_ScriptedSessionNoLogger", "BM_EventPingPongFloor"}});
    printf("peak resident cfgshell: %ld KiB\n", g_peak_kib);
    return status;
}
