// Test support: a private HU_ROOT per test, real processes started from HU_BIN, and
// readiness waits (bounded, never an assertion on timing).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace hu::testing {

// A fresh root directory, set as HU_ROOT for this process and its children, removed at the end.
class TempRoot {
public:
    TempRoot();
    ~TempRoot();
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;
    const std::string& path() const { return path_; }
    // Host path of a target path inside this root.
    std::string host(const std::string& target_path) const { return path_ + target_path; }

private:
    std::string path_;
    std::string previous_;
    bool had_previous_ = false;
};

// The binary `name` from the build's bin folder (HU_BIN, else beside the test binary).
std::string binPath(const std::string& name);

// A child process with its output captured to files; stopped with SIGTERM when destroyed.
class Process {
public:
    struct Options {
        std::map<std::string, std::string> env;  // added to (or replacing in) the environment
        bool pipe_stdin = false;
    };
    Process(const std::vector<std::string>& argv, const Options& options);
    explicit Process(const std::vector<std::string>& argv) : Process(argv, Options{}) {}
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    void writeStdin(const std::string& text);
    void closeStdin();
    // Sends sig and waits; the wait status.
    int stop(int sig = 15);
    // Waits for the exit; the wait status, or -1 when it has not ended within timeout.
    int wait(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    std::string out() const;
    std::string err() const;
    // The process's peak resident set size so far (VmHWM), in KiB; -1 when it has ended.
    long peakResidentKiB() const;
    // Says on standard error what did not happen, whether the process still runs (or how it
    // ended), and the last lines of its output: a failed wait then explains itself in the test log.
    void reportFailure(const std::string& what);

private:
    pid_t pid_ = -1;
    int stdin_fd_ = -1;
    int status_ = -1;
    std::string out_path_, err_path_;
};

struct RunResult {
    int exit_code = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};
// Runs argv to its end with input on standard input.
RunResult run(const std::vector<std::string>& argv, const std::string& input = "",
              const Process::Options& options = {});

// Polls until ready() holds, up to timeout; false when it never did.
bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Waits until a resource manager answers at target_path.
bool waitForServer(const std::string& target_path, std::chrono::milliseconds timeout = std::chrono::seconds(10));
// The same for the server process that should answer there: gives up as soon as it has ended,
// and reports a failed wait with the end of its output.
bool waitForServer(const std::string& target_path, Process& server,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10));

std::string readFile(const std::string& host_path);
void writeFile(const std::string& host_path, const std::string& content);

}  // namespace hu::testing
