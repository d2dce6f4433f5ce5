#include "running_terminal.h"

#include <fcntl.h>

#include <cstring>

#include "flashterm/term_msg.h"
#include "hu/devctl.h"

namespace flashterm_test {

const char kFontPath[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

RunningTerminal::RunningTerminal(const std::vector<std::string>& extra_args, int width, int height)
    : xvfb_(width, height) {
    if (xvfb_.display().empty()) return;
    std::vector<std::string> argv = {hu::testing::binPath("FlashTerm"), "-p", kFontPath};
    argv.insert(argv.end(), extra_args.begin(), extra_args.end());
    hu::testing::Process::Options options;
    options.env = {{"DISPLAY", xvfb_.display()},
                   {"HU_SCREEN_CAPTURE", framePath()},
                   {"FLASHTERM_STATE_DUMP", root_.host("/state.txt")}};
    terminal_ = std::make_unique<hu::testing::Process>(argv, options);
    up_ = hu::testing::waitForServer("/dev/FlashTerm", *terminal_);
    if (up_) fd_ = hu_open("/dev/FlashTerm", O_RDWR);
    up_ = fd_ >= 0;
}

RunningTerminal::~RunningTerminal() {
    if (fd_ >= 0) hu_close(fd_);
}

std::string RunningTerminal::state() const { return hu::testing::readFile(root_.host("/state.txt")); }

int RunningTerminal::tickCount() const {
    std::string dump = state();
    return dump.rfind("tick_count ", 0) == 0 ? std::stoi(dump.substr(11)) : 0;
}

bool RunningTerminal::nextTick() {
    int seen = tickCount();
    return hu::testing::waitUntil([&] { return tickCount() > seen; });
}

hu::png::Image RunningTerminal::frame() const {
    hu::png::Image image;
    hu::png::read(framePath(), &image);
    return image;
}

ssize_t RunningTerminal::write(const std::string& bytes) { return hu_write(fd_, bytes.data(), bytes.size()); }

int RunningTerminal::setStatus(const std::string& text) {
    return devctl(fd_, DCMD_TERM_SET_STATUS, const_cast<char*>(text.c_str()), text.size() + 1, nullptr);
}

int RunningTerminal::setClock(int32_t running) {
    return devctl(fd_, DCMD_TERM_SET_CLOCK, &running, sizeof running, nullptr);
}

int RunningTerminal::addBar(const std::string& ref, const std::string& name, int32_t progress) {
    std::vector<char> message = barMessage(ref, name, progress);
    return devctl(fd_, DCMD_TERM_ADD_BAR, message.data(), message.size(), nullptr);
}

int RunningTerminal::setProgress(const std::string& ref, int32_t progress) {
    std::vector<char> message = barMessage(ref, ref, progress);
    return devctl(fd_, DCMD_TERM_SET_PROGRESS, message.data(), message.size(), nullptr);
}

std::vector<std::string> dumpLines(const std::string& dump) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < dump.size()) {
        size_t end = dump.find('\n', at);
        if (end == std::string::npos) end = dump.size();
        lines.push_back(dump.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::vector<std::string> items(const std::string& dump) {
    std::vector<std::string> found;
    for (const std::string& line : dumpLines(dump)) {
        if (line.rfind("line ", 0) == 0 || line.rfind("bar ", 0) == 0) found.push_back(line);
    }
    return found;
}

std::vector<char> barMessage(const std::string& ref, const std::string& name, int32_t progress) {
    term_bar_msg_t head{0, static_cast<int32_t>(ref.size() + 1), progress};
    std::vector<char> message(sizeof head);
    memcpy(message.data(), &head, sizeof head);
    message.insert(message.end(), ref.c_str(), ref.c_str() + ref.size() + 1);
    message.insert(message.end(), name.c_str(), name.c_str() + name.size() + 1);
    return message;
}

}  // namespace flashterm_test
