#include "chip_model.h"

#include <cerrno>
#include <cstdio>

namespace adv748x_sim {
namespace {

std::string hexBytes(const uint8_t* bytes, size_t n) {
    std::string text;
    char byte[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(byte, sizeof byte, " %02x", bytes[i]);
        text += byte;
    }
    return text;
}

}  // namespace

ChipModel::ChipModel(Journal journal, LineDriver lines) : journal_(std::move(journal)), lines_(std::move(lines)) {
    for (const RegDesc& d : registerDescriptions()) {
        for (int reg = d.first; reg <= d.last; ++reg) desc_[d.map][reg] = &d;
    }
    reset();
}

void ChipModel::reset() {
    for (auto& map : regs_) map.fill(0);
    for (const RegDesc& d : registerDescriptions()) {
        for (int reg = d.first; reg <= d.last; ++reg) regs_[d.map][reg] = d.reset;
    }
    updateLines();
}

int ChipModel::busWrite(int map, const uint8_t* bytes, size_t n) {
    if (n == 0) return EINVAL;
    uint8_t reg = bytes[0];
    bool fail = failing_[map];
    journal_(std::string("W ") + mapName(map) + hexBytes(bytes, n) + (fail ? " EIO" : ""));
    if (fail) return EIO;
    for (size_t i = 1; i < n; ++i) store(map, static_cast<uint8_t>(reg + i - 1), bytes[i]);
    updateLines();
    return 0;
}

int ChipModel::busRead(int map, uint8_t reg, uint8_t* out, size_t n) {
    std::string line = std::string("R ") + mapName(map) + hexBytes(&reg, 1);
    if (failing_[map]) {
        journal_(line + " EIO");
        return EIO;
    }
    for (size_t i = 0; i < n; ++i) out[i] = regs_[map][static_cast<uint8_t>(reg + i)];
    journal_(line + " =" + hexBytes(out, n));
    return 0;
}

void ChipModel::store(int map, uint8_t reg, uint8_t value) {
    const RegDesc* d = desc_[map][reg];
    Access access = d != nullptr ? d->access : Access::ReadWrite;
    switch (access) {
        case Access::ReadWrite: regs_[map][reg] = value; break;
        case Access::ReadOnly: break;
        case Access::WriteOneToClear: regs_[map][reg - d->target_delta] &= static_cast<uint8_t>(~value); break;
    }
    auto it = hooks_.find(key(map, reg));
    if (it == hooks_.end()) return;
    for (const Hook& hook : it->second) hook(value);
}

void ChipModel::poke(int map, uint8_t reg, uint8_t value) {
    regs_[map][reg] = value;
    updateLines();
}

void ChipModel::latch(int map, uint8_t reg, uint8_t bits) {
    regs_[map][reg] |= bits;
    updateLines();
}

void ChipModel::updateLines() {
    for (const InterruptLine& line : interruptLines()) {
        bool pending = false;
        for (const LatchEnable& s : line.sources) pending |= (regs_[s.map][s.latch] & regs_[s.map][s.enable]) != 0;
        auto it = asserted_.find(line.intr);
        if (it != asserted_.end() && it->second == pending) continue;
        asserted_[line.intr] = pending;
        lines_(line.intr, pending);
    }
}

}  // namespace adv748x_sim
