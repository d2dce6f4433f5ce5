// The chip as the bus sees it: twelve register arrays with access classes, side-effect hooks
// on chosen registers, interrupt lines that follow the latches, injectable map failures and
// a journal line for every bus access.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "chip_maps.h"
#include "chip_regmap.h"

namespace adv748x_sim {

class ChipModel {
public:
    // Runs after a bus write stored `value` into (map, reg).
    using Hook = std::function<void(uint8_t value)>;
    using Journal = std::function<void(const std::string& line)>;
    // Sets the interrupt line level (true: asserted).
    using LineDriver = std::function<void(int intr, bool asserted)>;

    ChipModel(Journal journal, LineDriver lines);

    // Bus side: one transfer each, 0 or EIO. A write's first byte is the register, the
    // rest goes to consecutive registers.
    int busWrite(int map, const uint8_t* bytes, size_t n);
    int busRead(int map, uint8_t reg, uint8_t* out, size_t n);

    // Control side: no access class, no hooks, no journal.
    uint8_t peek(int map, uint8_t reg) const { return regs_[map][reg]; }
    void poke(int map, uint8_t reg, uint8_t value);
    void latch(int map, uint8_t reg, uint8_t bits);
    void setFailing(int map, bool failing) { failing_[map] = failing; }
    bool failing(int map) const { return failing_[map]; }

    void onWrite(int map, uint8_t reg, Hook hook) { hooks_[key(map, reg)].push_back(std::move(hook)); }
    // Every register back to its reset value.
    void reset();
    // Re-evaluates the interrupt lines; called after every change.
    void updateLines();

private:
    static int key(int map, uint8_t reg) { return map * 256 + reg; }
    void store(int map, uint8_t reg, uint8_t value);

    std::array<std::array<uint8_t, 256>, kMapCount> regs_{};
    std::array<std::array<const RegDesc*, 256>, kMapCount> desc_{};
    std::array<bool, kMapCount> failing_{};
    std::map<int, std::vector<Hook>> hooks_;
    std::map<int, bool> asserted_;
    Journal journal_;
    LineDriver lines_;
};

}  // namespace adv748x_sim
