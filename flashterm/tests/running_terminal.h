// A FlashTerm under its own Xvfb with frame capture and state dump, and the client calls
// tests feed it with.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hu/png_file.h"
#include "hu_testing.h"
#include "xvfb_server.h"

namespace flashterm_test {

extern const char kFontPath[];

class RunningTerminal {
public:
    // FlashTerm -p <DejaVu Sans> plus extra_args on a screen of width x height.
    explicit RunningTerminal(const std::vector<std::string>& extra_args = {}, int width = 1280, int height = 480);
    ~RunningTerminal();

    bool up() const { return up_; }
    std::string log() const { return terminal_->out() + terminal_->err(); }
    std::string framePath() const { return root_.host("/frame.png"); }
    // The last state dump ("" before the first tick).
    std::string state() const;
    int tickCount() const;
    // Waits for the next tick after everything sent so far; false when none came.
    bool nextTick();
    // The last captured frame (empty image when none could be read).
    hu::png::Image frame() const;

    // Client calls on one open descriptor; each returns the devctl status or write result.
    int fd() const { return fd_; }
    ssize_t write(const std::string& bytes);
    int setStatus(const std::string& text);
    int setClock(int32_t running);
    int addBar(const std::string& ref, const std::string& name, int32_t progress);
    int setProgress(const std::string& ref, int32_t progress);

private:
    hu::testing::TempRoot root_;
    hu::testing::XvfbServer xvfb_;
    std::unique_ptr<hu::testing::Process> terminal_;
    bool up_ = false;
    int fd_ = -1;
};

// The lines of a state dump, and of those the items ("line ..." and "bar ...") in list order.
std::vector<std::string> dumpLines(const std::string& dump);
std::vector<std::string> items(const std::string& dump);

// A bar record as the client builds it.
std::vector<char> barMessage(const std::string& ref, const std::string& name, int32_t progress);

}  // namespace flashterm_test
