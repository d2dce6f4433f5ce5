#include "page_test_support.h"

#include <atomic>

namespace page_test {

namespace {
std::atomic<int> g_sequence{0};
}

Names::Names() {
    std::string base = "/hu_page_" + std::to_string(getpid()) + "_" + std::to_string(g_sequence++);
    page = base;
    lock = base + "-lock";
}

Names::~Names() { hu::pagewriter::PageWriter::remove(page, lock); }

Logger::Logger(const hu::testing::TempRoot& root) : path_(root.host("/var/log/slog")) {
    process_ = std::make_unique<hu::testing::Process>(std::vector<std::string>{hu::testing::binPath("slogger")});
    std::string device = root.host("/dev/slog");
    hu::testing::waitUntil([&] { return access(device.c_str(), F_OK) == 0; });
}

std::vector<hu::slog::Record> Logger::records() const { return hu::slog::readFile(path_); }

std::vector<hu::slog::Record> Logger::waitFor(const std::string& text) const {
    std::vector<hu::slog::Record> all;
    hu::testing::waitUntil([&] {
        all = records();
        for (const auto& r : all) {
            if (r.text.find(text) != std::string::npos) return true;
        }
        return false;
    });
    return all;
}

std::vector<std::string> Logger::texts(const std::string& containing) const {
    std::vector<std::string> found;
    for (const auto& r : records()) {
        if (r.text.find(containing) != std::string::npos) found.push_back(r.text);
    }
    return found;
}

Probe::Probe(const std::map<std::string, std::string>& env)
    : process_({hu::testing::binPath("dorer_page_probe")}, {env, true}) {}

std::string Probe::ask(const std::string& command) {
    process_.writeStdin(command + "\n");
    std::string line;
    hu::testing::waitUntil([&] {
        // Complete lines only: an answer is written with its newline.
        std::string out = process_.out();
        std::vector<std::string> lines;
        for (size_t begin = 0, end; (end = out.find('\n', begin)) != std::string::npos; begin = end + 1) {
            lines.push_back(out.substr(begin, end - begin));
        }
        if (lines.size() > answered_) {
            line = lines[answered_];
            return true;
        }
        return !process_.running();
    });
    if (!line.empty()) ++answered_;
    return line;
}

std::string pagePrefix(pid_t pid) { return "[DorerPage V=1.3,D=0,PID=" + std::to_string(pid) + ",TID="; }

}  // namespace page_test
