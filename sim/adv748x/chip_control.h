// The test side of the chip stand-in: its control device, and the journal of bus accesses
// and the MHL source's log it writes under HU_ROOT.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace adv748x_sim {

constexpr char kControlDevice[] = "/dev/adv748x-ctl";
constexpr char kJournalFile[] = "/var/adv748x/journal";
constexpr char kMhlLogFile[] = "/var/adv748x/mhl";

// One journal line: "W <map> <reg> <bytes...>" or "R <map> <reg> = <bytes...>", with " EIO"
// when the access failed.
struct BusAccess {
    char op = 0;  // 'W' or 'R'
    std::string map;
    uint8_t reg = 0;
    std::vector<uint8_t> bytes;  // written, or read back
    bool failed = false;
};
std::vector<BusAccess> parseJournal(const std::string& text);

// A connection to the control device; -1 descriptor when the stand-in does not answer.
class ChipControl {
public:
    ChipControl();
    ~ChipControl();
    ChipControl(const ChipControl&) = delete;
    ChipControl& operator=(const ChipControl&) = delete;
    bool connected() const { return fd_ >= 0; }
    // The stand-in's answer to one command line ("ok", a value or "error: ...").
    std::string command(const std::string& line);

private:
    int fd_;
};

}  // namespace adv748x_sim
