#include "chip_control.h"

#include <fcntl.h>

#include <cstdlib>
#include <sstream>

#include "hu/devctl.h"

namespace adv748x_sim {

std::vector<BusAccess> parseJournal(const std::string& text) {
    std::vector<BusAccess> accesses;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        BusAccess a;
        std::string op, reg;
        if (!(words >> op >> a.map >> reg) || op.size() != 1) continue;
        a.op = op[0];
        a.reg = static_cast<uint8_t>(std::strtoul(reg.c_str(), nullptr, 16));
        for (std::string word; words >> word;) {
            if (word == "EIO") {
                a.failed = true;
            } else if (word != "=") {
                a.bytes.push_back(static_cast<uint8_t>(std::strtoul(word.c_str(), nullptr, 16)));
            }
        }
        accesses.push_back(a);
    }
    return accesses;
}

ChipControl::ChipControl() : fd_(hu_open(kControlDevice, O_RDWR)) {}

ChipControl::~ChipControl() {
    if (fd_ >= 0) hu_close(fd_);
}

std::string ChipControl::command(const std::string& line) {
    if (fd_ < 0) return "error: no stand-in";
    if (hu_write(fd_, line.data(), line.size()) < 0) return "error: write failed";
    char answer[256];
    ssize_t n = hu_read(fd_, answer, sizeof answer);
    return n < 0 ? "error: read failed" : std::string(answer, static_cast<size_t>(n));
}

}  // namespace adv748x_sim
