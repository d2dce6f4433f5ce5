// The register model on its own: access classes, the interrupt lines following the
// latches, failures and the journal, the source's answers on the sideband FIFOs.
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chip_behaviour.h"
#include "chip_model.h"
#include "mhl_peer.h"

namespace adv748x_sim {
namespace {

struct Bench {
    std::vector<std::string> journal;
    std::map<int, bool> lines;
    std::vector<std::string> peer_log;
    ChipModel chip{[this](const std::string& l) { journal.push_back(l); },
                   [this](int intr, bool on) { lines[intr] = on; }};
    MhlPeer peer{chip, [this](const std::string& l) { peer_log.push_back(l); }};

    void write(int map, std::vector<uint8_t> bytes) { ASSERT_EQ(0, chip.busWrite(map, bytes.data(), bytes.size())); }
};

TEST(ChipModelTest, AccessClassesAndTheChipInterruptLine) {
    Bench b;
    EXPECT_FALSE(b.lines[kChipIntr]);
    b.write(IO, {0xDF, 0x00});  // read-only: ignored
    EXPECT_EQ(0x74, b.chip.peek(IO, 0xDF));

    b.chip.latch(IO, 0x6D, 0x90);  // latched but not enabled
    EXPECT_FALSE(b.lines[kChipIntr]);
    b.write(IO, {0x6F, 0x80});  // enable bit 7
    EXPECT_TRUE(b.lines[kChipIntr]);
    b.write(IO, {0x6E, 0x10});  // clearing another bit keeps the line up
    EXPECT_TRUE(b.lines[kChipIntr]);
    EXPECT_EQ(0x80, b.chip.peek(IO, 0x6D));
    b.write(IO, {0x6E, 0x80});
    EXPECT_FALSE(b.lines[kChipIntr]);
    EXPECT_EQ(0x00, b.chip.peek(IO, 0x6E));

    uint8_t edid[4];
    b.write(EDID, {0x10, 1, 2, 3, 4});  // consecutive registers
    ASSERT_EQ(0, b.chip.busRead(EDID, 0x10, edid, 4));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4}), std::vector<uint8_t>(edid, edid + 4));

    b.chip.setFailing(TXA, true);
    uint8_t value;
    EXPECT_EQ(EIO, b.chip.busRead(TXA, 0x00, &value, 1));
    EXPECT_EQ(std::vector<std::string>({"W io df 00", "W io 6f 80", "W io 6e 10", "W io 6e 80", "W edid 10 01 02 03 04",
                                        "R edid 10 = 01 02 03 04", "R txa 00 EIO"}),
              b.journal);
}

TEST(ChipModelTest, ResetRestoresPowerOnValuesAndEdidEnableShowsInStatus) {
    Bench b;
    installChipBehaviour(b.chip, [] {});
    b.write(IO, {0x41, 0x00});
    b.write(REP, {0x74, 0x01});
    EXPECT_EQ(0x01, b.chip.peek(REP, 0x76));
    EXPECT_EQ(0x08, b.chip.peek(CBUS, 0x02));
    b.write(IO, {0xFF, 0xFF});
    EXPECT_EQ(0x0F, b.chip.peek(IO, 0x41));
    EXPECT_EQ(0x00, b.chip.peek(REP, 0x76));
}

// The receiver's request goes out on 0x00, the source answers once the transmit interrupt
// is cleared; the sideband line follows the enabled latches.
TEST(ChipModelTest, SourceAnswersARequestAfterTheTransmitInterrupt) {
    Bench b;
    b.write(CBUS, {0x16, 0xF3});
    b.peer.connect();
    b.write(CBUS, {0x18, 0x03});
    EXPECT_TRUE(b.lines[kCbusIntr]);
    b.write(CBUS, {0x13, 0xFF, 0xFF, 0x03});
    EXPECT_FALSE(b.lines[kCbusIntr]);

    b.write(CBUS, {0x80, 0x61, 0x03});  // READ_DEVCAP 3
    b.write(CBUS, {0x40, 0x01});
    b.write(CBUS, {0x00, (2 << 1) | 1});
    EXPECT_EQ(0x10, b.chip.peek(CBUS, 0x10));
    b.write(CBUS, {0x13, 0x10});
    EXPECT_EQ(0x21, b.chip.peek(CBUS, 0x10));
    EXPECT_EQ(2, b.chip.peek(CBUS, 0x30));
    EXPECT_EQ(0x33, b.chip.peek(CBUS, 0xA0));
    EXPECT_EQ(0x3F, b.chip.peek(CBUS, 0xA1));
    EXPECT_EQ(0x01, b.chip.peek(CBUS, 0x50));
    EXPECT_EQ(std::vector<std::string>({"request c:61 d:03"}), b.peer_log);
}

}  // namespace
}  // namespace adv748x_sim
