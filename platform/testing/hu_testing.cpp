#include "hu_testing.h"

#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "hu/devctl.h"
#include "hu/path.h"

extern char** environ;

namespace hu::testing {
namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

int exitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

int g_capture_counter = 0;

std::string lastLines(const std::string& text, size_t count) {
    size_t start = text.size();
    if (start > 0 && text[start - 1] == '\n') --start;  // the last line's own break
    for (size_t lines = 0; start > 0; --start) {
        if (text[start - 1] == '\n' && ++lines == count) break;
    }
    return text.substr(start);
}

}  // namespace

TempRoot::TempRoot() {
    char pattern[] = "/tmp/hu-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    if (const char* old = std::getenv("HU_ROOT")) {
        previous_ = old;
        had_previous_ = true;
    }
    setenv("HU_ROOT", path_.c_str(), 1);
}

TempRoot::~TempRoot() {
    nftw(path_.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    if (had_previous_) {
        setenv("HU_ROOT", previous_.c_str(), 1);
    } else {
        unsetenv("HU_ROOT");
    }
}

std::string binPath(const std::string& name) {
    if (const char* bin = std::getenv("HU_BIN")) return std::string(bin) + "/" + name;
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string(".");
    return dir.substr(0, dir.rfind('/')) + "/" + name;
}

Process::Process(const std::vector<std::string>& argv, const Options& options) {
    std::string dir = hu::root() + "/proc-out";
    hu::makeDirs(dir);
    std::string stem = dir + "/" + std::to_string(getpid()) + "-" + std::to_string(++g_capture_counter);
    out_path_ = stem + ".out";
    err_path_ = stem + ".err";

    int in_pipe[2] = {-1, -1};
    if (options.pipe_stdin && pipe2(in_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");

    std::vector<std::string> env_strings;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        std::string key = entry.substr(0, entry.find('='));
        if (options.env.count(key) == 0) env_strings.push_back(entry);
    }
    for (const auto& [key, value] : options.env) env_strings.push_back(key + "=" + value);
    std::vector<char*> envp, args;
    for (auto& s : env_strings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argv_copy = argv;
    for (auto& s : argv_copy) args.push_back(s.data());
    args.push_back(nullptr);

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        int out = open(out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int in = options.pipe_stdin ? in_pipe[0] : open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    if (options.pipe_stdin) {
        close(in_pipe[0]);
        stdin_fd_ = in_pipe[1];
    }
}

Process::~Process() {
    closeStdin();
    if (running()) stop(SIGTERM);
    if (running()) stop(SIGKILL);
}

bool Process::running() {
    if (status_ != -1 || pid_ <= 0) return false;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        status_ = status;
        return false;
    }
    return r == 0;
}

void Process::writeStdin(const std::string& text) {
    size_t done = 0;
    while (stdin_fd_ >= 0 && done < text.size()) {
        ssize_t n = write(stdin_fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
}

void Process::closeStdin() {
    if (stdin_fd_ >= 0) close(stdin_fd_);
    stdin_fd_ = -1;
}

int Process::stop(int sig) {
    if (running()) kill(pid_, sig);
    return wait();
}

int Process::wait(std::chrono::milliseconds timeout) {
    waitUntil([this] { return !running(); }, timeout);
    return status_;
}

std::string Process::out() const { return readFile(out_path_); }

long Process::peakResidentKiB() const {
    std::istringstream status(readFile("/proc/" + std::to_string(pid_) + "/status"));
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}
std::string Process::err() const { return readFile(err_path_); }

void Process::reportFailure(const std::string& what) {
    std::ostringstream report;
    report << what << ": process " << pid_;
    if (running()) {
        report << " still runs";
    } else {
        report << " ended with status " << exitCodeOf(status_);
    }
    report << "\n--- last lines of its standard output:\n" << lastLines(out(), 20)
           << "\n--- last lines of its standard error:\n" << lastLines(err(), 20) << "\n";
    std::cerr << report.str();
}

RunResult run(const std::vector<std::string>& argv, const std::string& input, const Process::Options& options) {
    Process::Options with_stdin = options;
    with_stdin.pipe_stdin = true;
    Process process(argv, with_stdin);
    process.writeStdin(input);
    process.closeStdin();
    int status = process.wait(std::chrono::seconds(60));
    RunResult result;
    result.exit_code = status == -1 ? -1 : exitCodeOf(status);
    result.out = process.out();
    result.err = process.err();
    return result;
}

bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

namespace {
bool serverAnswers(const std::string& target_path) {
    int fd = hu_open(target_path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    hu_close(fd);
    return true;
}
}  // namespace

bool waitForServer(const std::string& target_path, std::chrono::milliseconds timeout) {
    return waitUntil([&] { return serverAnswers(target_path); }, timeout);
}

bool waitForServer(const std::string& target_path, Process& server, std::chrono::milliseconds timeout) {
    bool up = false;
    waitUntil([&] { return (up = serverAnswers(target_path)) || !server.running(); }, timeout);
    if (!up) server.reportFailure("no server answered at " + target_path);
    return up;
}

std::string readFile(const std::string& host_path) {
    std::ifstream in(host_path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const std::string& host_path, const std::string& content) {
    std::ofstream out(host_path, std::ios::binary | std::ios::trunc);
    out << content;
}

}  // namespace hu::testing
