// The register writes of init, source selection, lanes and output, compared with the
// stand-in's journal.
#include <algorithm>
#include <cstdio>
#include <numeric>

#include "adv748x_io.h"
#include "chip_fixture.h"
#include "hu/slog.h"

namespace {

using adv748x_sim::BusAccess;

struct Write {
    std::string map;
    uint8_t reg;
    uint8_t value;
};
using Golden = std::vector<Write>;

// The single-byte writes of the journal, and its block writes apart.
struct Observed {
    Golden writes;
    std::vector<BusAccess> blocks;
};
Observed observe(const std::vector<BusAccess>& writes) {
    Observed o;
    for (const BusAccess& a : writes) {
        if (a.bytes.size() == 1) {
            o.writes.push_back({a.map, a.reg, a.bytes[0]});
        } else {
            o.blocks.push_back(a);
        }
    }
    return o;
}

std::string describe(const Golden& g) {
    std::string text;
    char line[32];
    for (const Write& w : g) {
        std::snprintf(line, sizeof line, "%s %02x %02x\n", w.map.c_str(), w.reg, w.value);
        text += line;
    }
    return text;
}

void expectWrites(const Golden& expected, const std::vector<BusAccess>& journal_writes) {
    EXPECT_EQ(describe(expected), describe(observe(journal_writes).writes));
}

const Golden kInit = {
    {"io", 0xFF, 0xFF},
    {"io", 0xF2, 0x01}, {"io", 0xF3, 0x4C}, {"io", 0xF4, 0x44}, {"io", 0xF5, 0x68}, {"io", 0xF6, 0x6C},
    {"io", 0xF7, 0x64}, {"io", 0xF8, 0x62}, {"io", 0xF9, 0xF0}, {"io", 0xFA, 0x82}, {"io", 0xFB, 0xF2},
    {"io", 0xFC, 0x90}, {"io", 0xFD, 0x94},
    {"io", 0x00, 0x00}, {"io", 0x0E, 0xDD}, {"io", 0x10, 0x30}, {"io", 0x17, 0x80}, {"io", 0x0C, 0xE0},
    {"io", 0x1C, 0x3A},
    {"txa", 0xF0, 0x00}, {"txa", 0xDA, 0x01}, {"txb", 0xF0, 0x00}, {"txb", 0xDA, 0x01},
    {"io", 0x1D, 0x20},
    {"io", 0x45, 0xFF}, {"io", 0x4B, 0xFF}, {"io", 0x50, 0xFF}, {"io", 0x69, 0xFF}, {"io", 0x6E, 0xFF},
    {"io", 0x73, 0xFF}, {"io", 0x82, 0xFF}, {"io", 0x87, 0xFF}, {"io", 0x8C, 0xFF}, {"io", 0x91, 0xFF},
    {"io", 0x41, 0xCE},
};

// After init, from the stand-in's power-on values.
const Golden kFirstHdmi = {
    {"io", 0x10, 0xB0}, {"io", 0x00, 0x40}, {"io", 0x12, 0xF2},
    {"io", 0x04, 0xF5},
    {"cp", 0xBA, 0x01}, {"io", 0x05, 0x4A}, {"io", 0x03, 0x8E}, {"cp", 0x7C, 0x05},
    {"hdmi", 0xBE, 0x00}, {"rep", 0x40, 0x83}, {"io", 0x11, 0x48}, {"hdmi", 0x00, 0x08}, {"hdmi", 0x83, 0x02},
    {"hdmi", 0x1A, 0xE0}, {"hdmi", 0x0F, 0x20},
    {"rep", 0x74, 0x00}, {"rep", 0x70, 0x20}, {"rep", 0x7A, 0x0C}, /* EDID block */ {"rep", 0x77, 0x04},
    {"rep", 0x7D, 0x00}, {"rep", 0x74, 0x01},
    {"hdmi", 0x6C, 0x01}, {"hdmi", 0xF8, 0x01}, {"hdmi", 0x3D, 0x10}, {"hdmi", 0x3E, 0x69}, {"hdmi", 0x3F, 0x46},
    {"hdmi", 0x4E, 0xFE}, {"hdmi", 0x4F, 0x08}, {"hdmi", 0x57, 0xA3}, {"hdmi", 0x58, 0x04}, {"hdmi", 0x85, 0x10},
    {"io", 0x0F, 0x04}, {"cbus", 0x22, 0x30}, {"cbus", 0x20, 0x71}, {"cbus", 0x21, 0x77}, {"cbus", 0x23, 0x82},
    {"cbus", 0x24, 0x77}, {"hdmi", 0x85, 0x11}, {"hdmi", 0x93, 0x00}, {"hdmi", 0x5A, 0x80},
    {"cbus", 0x13, 0xFF}, {"cbus", 0x14, 0xFF}, {"cbus", 0x15, 0x03}, {"cbus", 0x16, 0xF3}, {"cbus", 0x18, 0x03},
    {"io", 0x1D, 0x00}, {"cbus", 0x0F, 0x4B},
    {"io", 0x6F, 0xF0}, {"io", 0x8D, 0x28},
    {"txa", 0x9C, 0x23}, {"txa", 0x9D, 0x01}, {"txa", 0x9E, 0x04}, {"txa", 0xD6, 0x07}, {"txa", 0x34, 0x55},
    {"txa", 0xC1, 0x32}, {"txa", 0xC4, 0x0A}, {"txa", 0xCA, 0x02}, {"txa", 0xC1, 0x22}, {"txa", 0x71, 0x33},
    {"txa", 0x72, 0x11}, {"txa", 0x70, 0x10}, {"txa", 0x01, 0x02}, {"txa", 0x02, 0x02}, {"txa", 0x03, 0x04},
    {"txa", 0x04, 0x03}, {"txa", 0x05, 0x03}, {"txa", 0x7F, 0x03},
    {"txa", 0x00, 0x84},
};

const Golden kFirstAnalog = {
    {"io", 0x10, 0x70},
    {"sdp", 0x0F, 0x00}, {"sdp", 0x00, 0x0E}, {"sdp", 0x03, 0x0C}, {"sdp", 0x04, 0x07}, {"sdp", 0x13, 0x00},
    {"sdp", 0x17, 0x41}, {"sdp", 0x1D, 0x40}, {"sdp", 0x52, 0xC0}, {"sdp", 0x5F, 0xA8}, {"sdp", 0x5A, 0x90},
    {"sdp", 0x60, 0xB0}, {"sdp", 0x0E, 0x80}, {"sdp", 0xB6, 0x08}, {"sdp", 0xC0, 0xA0}, {"sdp", 0x0E, 0x00},
    {"sdp", 0x31, 0x12}, {"sdp", 0x03, 0x01}, {"sdp", 0x0E, 0x80}, {"sdp", 0xF9, 0xC1}, {"sdp", 0x0E, 0x00},
    {"txa", 0xD6, 0x07},
    {"txb", 0x34, 0x55}, {"txb", 0xC1, 0x32}, {"txb", 0xC4, 0x0A}, {"txb", 0xCA, 0x02}, {"txb", 0xC1, 0x22},
    {"txb", 0x71, 0x33}, {"txb", 0x72, 0x11}, {"txb", 0x01, 0x03}, {"txb", 0x02, 0x03}, {"txb", 0x03, 0x08},
    {"txb", 0x04, 0x02}, {"txb", 0x05, 0x04}, {"txb", 0x7F, 0x03},
    {"txb", 0x00, 0x81},
};

class SequenceTest : public ChipFixture {
protected:
    void init() {
        ASSERT_EQ(0, backend_.init(&backend_, 0));
        clearJournal();
    }
};

TEST_F(SequenceTest, InitWritesEveryRegisterInOrderAndSetsTheLaneLimits) {
    ASSERT_EQ(0, backend_.init(&backend_, 1));
    expectWrites(kInit, writes());
    EXPECT_EQ(5, backend_.devices[0].lane_limit);
    EXPECT_EQ(2, backend_.devices[1].lane_limit);
    auto log = logTexts();
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(), "hd-dec:chip id: 0x7481"));
}

uint8_t checksum(const std::vector<uint8_t>& bytes, size_t from) {
    return static_cast<uint8_t>(std::accumulate(bytes.begin() + from, bytes.begin() + from + 128, 0));
}

TEST_F(SequenceTest, FirstHdmiSelectionProgramsThePathAndLoadsTheEdid) {
    init();
    ASSERT_EQ(0, update(0, HDDEC_F_SOURCE));
    auto all = writes();
    expectWrites(kFirstHdmi, all);
    EXPECT_TRUE(backend_.devices[0].initialised);

    // One block write of 256 bytes from register 0, right after REP 0x7A.
    Observed o = observe(all);
    ASSERT_EQ(1u, o.blocks.size());
    const BusAccess& edid = o.blocks[0];
    EXPECT_EQ("edid", edid.map);
    EXPECT_EQ(0x00, edid.reg);
    ASSERT_EQ(256u, edid.bytes.size());
    auto at = std::find_if(all.begin(), all.end(), [](const BusAccess& a) { return a.map == "edid"; });
    ASSERT_NE(all.begin(), at);
    EXPECT_EQ("rep", (at - 1)->map);
    EXPECT_EQ(0x7A, (at - 1)->reg);

    const std::vector<uint8_t>& e = edid.bytes;
    EXPECT_EQ(0, checksum(e, 0));
    EXPECT_EQ(0, checksum(e, 128));
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00, 0x04, 0x89, 0x0d, 0x48}),
              std::vector<uint8_t>(e.begin(), e.begin() + 12));
    EXPECT_EQ(0x2a, e[0x10]);  // week 42
    EXPECT_EQ(0x17, e[0x11]);  // 2013
    EXPECT_EQ(0x01, e[0x7E]);  // one extension
    EXPECT_EQ((std::vector<uint8_t>{0x02, 0x03}), std::vector<uint8_t>(e.begin() + 0x80, e.begin() + 0x82));
    EXPECT_EQ((std::vector<uint8_t>{0x67, 0x03, 0x0c, 0x00, 0x10, 0x00, 0x80, 0x2d}),
              std::vector<uint8_t>(e.begin() + 0x8E, e.begin() + 0x96));
}

TEST_F(SequenceTest, LaterSelectionsOnlyReturnTheTransmitterToLp11) {
    init();
    ASSERT_EQ(0, update(0, HDDEC_F_SOURCE));
    ASSERT_EQ(0, update(1, HDDEC_F_SOURCE));
    clearJournal();
    ASSERT_EQ(0, update(0, HDDEC_F_SOURCE));
    ASSERT_EQ(0, update(1, HDDEC_F_SOURCE));
    expectWrites({{"txa", 0x00, 0x84}, {"txb", 0x00, 0x81}}, writes());
}

TEST_F(SequenceTest, FirstAnalogSelectionProgramsTheDecoderPathOnce) {
    init();
    ASSERT_EQ(0, update(1, HDDEC_F_SOURCE));
    expectWrites(kFirstAnalog, writes());
    EXPECT_TRUE(backend_.devices[1].initialised);
    EXPECT_FALSE(backend_.devices[0].initialised);
}

// Lanes and output on both devices after their selection, each step with its writes.
TEST_F(SequenceTest, LanesAndOutputOnBothTransmitters) {
    init();
    ASSERT_EQ(0, update(0, HDDEC_F_SOURCE));
    ASSERT_EQ(0, update(1, HDDEC_F_SOURCE));
    struct Step {
        int device;
        uint32_t flag;
        int value;
        Golden writes;
    };
    const Step steps[] = {
        {0, HDDEC_F_LANES, 2, {{"txa", 0x00, 0x82}}},
        {0, HDDEC_F_OUTPUT, 1, {{"txa", 0x00, 0x22}}},
        {0, HDDEC_F_OUTPUT, 0, {{"txa", 0x00, 0xA2}}},
        {1, HDDEC_F_LANES, 1, {{"txb", 0x00, 0x81}}},
        {1, HDDEC_F_OUTPUT, 1, {{"txb", 0x00, 0x21}, {"txb", 0x7F, 0x02}}},
        {1, HDDEC_F_OUTPUT, 0, {{"txb", 0x00, 0xA1}, {"txb", 0x7F, 0x02}}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "device " << s.device << " flag " << s.flag << " value " << s.value);
        clearJournal();
        HdDecDevice& dev = backend_.devices[s.device];
        (s.flag == HDDEC_F_LANES ? dev.lanes : dev.output_enable) = s.value;
        ASSERT_EQ(0, update(s.device, s.flag));
        expectWrites(s.writes, writes());
    }
    // A later HDMI selection puts 4 lanes back.
    clearJournal();
    ASSERT_EQ(0, update(0, HDDEC_F_SOURCE));
    expectWrites({{"txa", 0x00, 0x84}}, writes());
}

TEST_F(SequenceTest, RxFlagOnHdmiTogglesTheBitAndIsRefusedOnAnalog) {
    init();
    ASSERT_EQ(0, update(0, HDDEC_F_SOURCE));
    clearJournal();
    backend_.devices[0].rx_flag = 1;
    ASSERT_EQ(0, update(0, HDDEC_F_RX));
    backend_.devices[0].rx_flag = 0;
    ASSERT_EQ(0, update(0, HDDEC_F_RX));
    expectWrites({{"hdmi", 0x1A, 0xF0}, {"hdmi", 0x1A, 0xE0}}, writes());

    clearJournal();
    backend_.devices[1].rx_flag = 1;
    EXPECT_EQ(ENOTSUP, update(1, HDDEC_F_RX));
    EXPECT_TRUE(journal().empty());
}

TEST_F(SequenceTest, AFailingMapGivesEioAndEveryOtherAccessStillHappens) {
    ASSERT_EQ("ok", command("fail txb on"));
    EXPECT_EQ(EIO, backend_.init(&backend_, 0));
    Golden without_txb;
    for (const Write& w : kInit) {
        if (w.map != "txb") without_txb.push_back(w);
    }
    std::vector<BusAccess> ok_writes;
    int failed_txb = 0;
    for (const BusAccess& a : journal()) {
        if (a.failed) {
            EXPECT_EQ("txb", a.map);
            ++failed_txb;
        } else if (a.op == 'W') {
            ok_writes.push_back(a);
        }
    }
    expectWrites(without_txb, ok_writes);
    EXPECT_EQ(2, failed_txb);  // both reads of its read-modify-writes; nothing is written blind

    clearJournal();
    EXPECT_EQ(EIO, update(1, HDDEC_F_SOURCE));
    Golden analog_rest;
    for (const Write& w : kFirstAnalog) {
        if (w.map != "txb") analog_rest.push_back(w);
    }
    ok_writes.clear();
    for (const BusAccess& a : journal()) {
        if (!a.failed && a.op == 'W') ok_writes.push_back(a);
    }
    expectWrites(analog_rest, ok_writes);
    EXPECT_FALSE(backend_.devices[1].initialised);
    auto log = logTexts();
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(),
                                   "hd-dec:adv748x_i2c_wr: Failed to write to the decoder:Input/output error"));
}

// A first selection whose writes failed has not set the device up: the next one runs the whole
// sequence again (the EDID is loaded), with the sideband engine started only once.
TEST_F(SequenceTest, SelectionWhoseWritesFailedIsDoneAgainInFull) {
    init();
    ASSERT_EQ("ok", command("fail edid on"));
    EXPECT_EQ(EIO, update(0, HDDEC_F_SOURCE));
    EXPECT_FALSE(backend_.devices[0].initialised);
    ASSERT_TRUE(backend_.devices[0].msc.thread_running);
    const pthread_t engine = backend_.devices[0].msc.thread;
    ASSERT_EQ("ok", command("fail edid off"));
    clearJournal();
    EXPECT_EQ(0, update(0, HDDEC_F_SOURCE));
    expectWrites(kFirstHdmi, writes());
    EXPECT_TRUE(backend_.devices[0].initialised);
    EXPECT_TRUE(pthread_equal(engine, backend_.devices[0].msc.thread));
    clearJournal();
    EXPECT_EQ(0, update(0, HDDEC_F_SOURCE));
    expectWrites({{"txa", 0x00, 0x84}}, writes());
}

int failingEngineStart(MscContext*, int, unsigned) { return EAGAIN; }

// Without its sideband engine the HDMI path is not programmed; the next selection tries again.
TEST_F(SequenceTest, FailedEngineStartLeavesHdmiUnprogrammed) {
    init();
    adv748x_msc_start = failingEngineStart;
    EXPECT_EQ(EAGAIN, update(0, HDDEC_F_SOURCE));
    adv748x_msc_start = msc_context_init;
    EXPECT_TRUE(writes().empty());
    EXPECT_FALSE(backend_.devices[0].initialised);
    auto log = logTexts();
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(),
                                   "hd-dec:adv748x_set_source: msc_context_init() failed (Resource temporarily unavailable)"));
    ASSERT_EQ(0, update(0, HDDEC_F_SOURCE));
    expectWrites(kFirstHdmi, writes());
}

TEST(AbsentMapTest, InitFailsWithThatMapsErrnoAndLogsIt) {
    hu::testing::TempRoot root;
    hu::testing::Process chip({hu::testing::binPath("adv748x_chip"), "-a", "cp"});
    ASSERT_TRUE(hu::testing::waitForServer(adv748x_sim::kControlDevice, chip));
    HdDecBackend backend{};
    adv748x_backend_setup(&backend);
    EXPECT_EQ(ENOENT, backend.init(&backend, 0));
    EXPECT_GE(backend.maps[ADV748X_CBUS], 0);  // the maps before it are open
    EXPECT_EQ(-1, backend.maps[ADV748X_CP]);
    EXPECT_EQ(-1, backend.maps[ADV748X_SDP]);
    auto records = hu::slog::readFile(hu::slog::fallbackPath());
    ASSERT_FALSE(records.empty());
    EXPECT_EQ("hd-dec:adv748x_init:could not open /dev/i2c/i2c_0/cp_map (No such file or directory)",
              records.back().text);
    backend.fini(&backend);
    EXPECT_EQ(-1, backend.maps[ADV748X_IO]);
}

}  // namespace
