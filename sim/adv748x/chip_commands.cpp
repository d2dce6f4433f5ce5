#include "chip_commands.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace adv748x_sim {
namespace {

using Args = std::vector<std::string>;

bool parseByte(const std::string& text, uint8_t* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(text.c_str(), &end, 16);
    if (*end != '\0' || v > 0xFF) return false;
    *value = static_cast<uint8_t>(v);
    return true;
}

// "<map> <reg>" at args[1], args[2].
bool parseRegister(const Args& args, int* map, uint8_t* reg) {
    if (args.size() < 3) return false;
    *map = mapByName(args[1]);
    return *map >= 0 && parseByte(args[2], reg);
}

std::string hex(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

const std::string kOk = "ok";
const std::string kUsage = "error: bad arguments";

std::string cmdSet(ChipWorld& w, const Args& a) {
    int map;
    uint8_t reg, value;
    if (a.size() != 4 || !parseRegister(a, &map, &reg) || !parseByte(a[3], &value)) return kUsage;
    w.chip.poke(map, reg, value);
    return kOk;
}

std::string cmdGet(ChipWorld& w, const Args& a) {
    int map;
    uint8_t reg;
    if (a.size() != 3 || !parseRegister(a, &map, &reg)) return kUsage;
    return hex(w.chip.peek(map, reg));
}

std::string cmdLatch(ChipWorld& w, const Args& a) {
    int map;
    uint8_t reg, bits;
    if (a.size() != 4 || !parseRegister(a, &map, &reg) || !parseByte(a[3], &bits)) return kUsage;
    w.chip.latch(map, reg, bits);
    return kOk;
}

std::string cmdFail(ChipWorld& w, const Args& a) {
    int map = a.size() == 3 ? mapByName(a[1]) : -1;
    if (map < 0 || (a[2] != "on" && a[2] != "off")) return kUsage;
    w.chip.setFailing(map, a[2] == "on");
    return kOk;
}

std::string cmdJournal(ChipWorld& w, const Args& a) {
    if (a.size() != 2 || a[1] != "clear") return kUsage;
    w.clear_journal();
    return kOk;
}

bool packetsFrom(const Args& a, size_t first, MhlPackets* packets) {
    return a.size() > first && parsePackets(Args(a.begin() + first, a.end()), packets);
}

std::string cmdMhl(ChipWorld& w, const Args& a) {
    if (a.size() < 2) return kUsage;
    const std::string& sub = a[1];
    MhlPackets packets;
    uint8_t value;
    if (sub == "connect" && a.size() == 2) {
        w.peer.connect();
    } else if (sub == "disconnect" && a.size() == 2) {
        w.peer.disconnect();
    } else if (sub == "seq" && a.size() == 3 && parseByte(a[2], &value)) {
        w.peer.setSequencer(value);
    } else if (sub == "answer" && (a.size() == 3 || a.size() == 4)) {
        AnswerMode mode;
        if (!parseAnswerMode(a[2], &mode)) return kUsage;
        int count = a.size() == 4 ? std::atoi(a[3].c_str()) : -1;
        w.peer.setAnswer(mode, count > 0 ? count : -1);
    } else if (sub == "caps" && a.size() == 18) {
        std::vector<uint8_t> caps;
        for (size_t i = 2; i < a.size(); ++i) {
            if (!parseByte(a[i], &value)) return kUsage;
            caps.push_back(value);
        }
        w.peer.setCapabilities(caps);
    } else if (sub == "send" && a.size() > 4 && a[2] == "hold") {
        int hold = std::atoi(a[3].c_str());
        if (hold <= 0 || !packetsFrom(a, 4, &packets)) return kUsage;
        w.peer.send(packets, static_cast<size_t>(hold));
    } else if (sub == "send" && packetsFrom(a, 2, &packets)) {
        w.peer.send(packets);
    } else if (sub == "send-now" && packetsFrom(a, 2, &packets)) {
        w.peer.sendNow(packets);
    } else if (sub == "flush" && a.size() == 2) {
        w.peer.flush();
    } else if (sub == "fifo" && a.size() >= 4 && (a[2] == "req" || a[2] == "resp") && parseByte(a[3], &value) &&
               (a.size() == 4 || packetsFrom(a, 4, &packets))) {
        w.peer.injectFifo(a[2] == "req" ? 0 : 1, value, packets);
    } else {
        return kUsage;
    }
    return kOk;
}

struct Command {
    const char* name;
    std::string (*run)(ChipWorld& world, const Args& args);
};
const Command kCommands[] = {
    {"set", cmdSet}, {"get", cmdGet}, {"latch", cmdLatch}, {"fail", cmdFail}, {"journal", cmdJournal}, {"mhl", cmdMhl},
};

}  // namespace

std::string runCommand(ChipWorld& world, const std::string& line) {
    std::istringstream in(line);
    Args args;
    for (std::string word; in >> word;) args.push_back(word);
    if (args.empty()) return "error: empty command";
    for (const Command& c : kCommands) {
        if (args[0] == c.name) return c.run(world, args);
    }
    return "error: unknown command " + args[0];
}

}  // namespace adv748x_sim
