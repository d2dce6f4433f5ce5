// Status queries and interrupt decoding against the stand-in's status registers.
#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "chip_fixture.h"
#include "hu/interrupt_line.h"
#include "hu/neutrino.h"

namespace {

std::string hex(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

class StatusTest : public ChipFixture {
protected:
    void SetUp() override {
        ChipFixture::SetUp();
        ASSERT_EQ(0, backend_.init(&backend_, 0));
    }
    void set(const std::string& reg, int value) {
        ASSERT_EQ("ok", command("set " + reg + " " + hex(value)));
    }
};

TEST_F(StatusTest, AudioSampleRateFollowsTheChannelStatusCode) {
    const struct {
        int code;
        int hz;
    } cases[] = {{0, 44100}, {2, 48000}, {3, 32000}, {8, 88200}, {10, 96000}, {12, 176400}, {14, 192000},
                 {0xF2, 48000}, {1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        set("rep 39", c.code);
        errno = -1;
        EXPECT_EQ(c.hz, query(0, HDDEC_F_AUDIO_RATE, nullptr, 0));
        EXPECT_EQ(0, errno);
    }
    auto log = logTexts();
    EXPECT_NE(log.end(),
              std::find(log.begin(), log.end(), "hd-dec:adv748x_get_audio_sample_rate: unrecognized sampling rate 0x1"));
    EXPECT_EQ(0, query(1, HDDEC_F_AUDIO_RATE, nullptr, 0));
}

TEST_F(StatusTest, ReceiverStatusFromIoStatusBitsFiveAndSix) {
    const struct {
        int io6c;
        int expected;
    } cases[] = {{0x00, 0}, {0x20, 1}, {0x40, 1}, {0x9F, 0}};
    for (const auto& c : cases) {
        set("io 6c", c.io6c);
        EXPECT_EQ(c.expected, query(0, HDDEC_F_RX, nullptr, 0)) << c.io6c;
    }
    EXPECT_EQ(-1, query(1, HDDEC_F_RX, nullptr, 0));
    ASSERT_EQ("ok", command("fail io on"));
    errno = 0;
    EXPECT_EQ(-1, query(0, HDDEC_F_RX, nullptr, 0));
    EXPECT_EQ(EIO, errno);
    EXPECT_EQ(-1, query(0, 0x2, nullptr, 0));  // no query flag
}

TEST_F(StatusTest, RxBlockAndBitNeedTheReceiverReady) {
    for (int i = 0; i < 5; ++i) set("hdmi " + hex(0x36 + i), 0x10 + i);
    set("hdmi 07", 0x40);
    uint8_t block[5] = {};
    uint8_t bit = 0xEE;

    set("hdmi 04", 0x00);  // not ready: 1 with errno 1, nothing read
    EXPECT_EQ(1, query(0, HDDEC_F_RX_BLOCK, block, 5));
    EXPECT_EQ(1, errno);
    EXPECT_EQ(1, query(0, HDDEC_F_RX_BIT, &bit, 1));
    EXPECT_EQ(0xEE, bit);

    set("hdmi 04", 0x01);
    set("io 6c", 0x00);  // no block reported yet
    EXPECT_EQ(1, query(0, HDDEC_F_RX_BLOCK, block, 5));
    EXPECT_EQ(0, query(0, HDDEC_F_RX_BIT, &bit, 1));
    EXPECT_EQ(0x40, bit);

    set("io 6c", 0x80);
    EXPECT_EQ(0, query(0, HDDEC_F_RX_BLOCK, block, 5));
    EXPECT_EQ(0, errno);
    EXPECT_EQ((std::vector<uint8_t>{0x10, 0x11, 0x12, 0x13, 0x14}), std::vector<uint8_t>(block, block + 5));

    EXPECT_EQ(-1, query(1, HDDEC_F_RX_BLOCK, block, 5));
    EXPECT_EQ(ENOTSUP, errno);  // the analogue decoder has none, which is not a value
    EXPECT_EQ(-1, query(1, HDDEC_F_RX_BIT, &bit, 1));
}

// A status register that cannot be read is an error, never a value: not 0 Hz, not a zeroed
// block that reads as received.
TEST_F(StatusTest, FailedReadsAreErrorsNotData) {
    set("hdmi 04", 0x01);
    set("io 6c", 0x80);
    uint8_t block[5] = {};
    uint8_t bit = 0;
    const struct {
        const char* map;
        uint32_t flag;
        void* buffer;
        size_t length;
    } cases[] = {
        {"hdmi", HDDEC_F_RX_BLOCK, block, 5}, {"hdmi", HDDEC_F_RX_BIT, &bit, 1}, {"io", HDDEC_F_RX_BLOCK, block, 5},
        {"rep", HDDEC_F_AUDIO_RATE, nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.map << " " << std::hex << c.flag);
        ASSERT_EQ("ok", command(std::string("fail ") + c.map + " on"));
        errno = 0;
        EXPECT_EQ(-1, query(0, c.flag, c.buffer, c.length));
        EXPECT_EQ(EIO, errno);
        ASSERT_EQ("ok", command(std::string("fail ") + c.map + " off"));
    }
}

TEST_F(StatusTest, EachStatusBitSetsItsEventAndClearsItsLatch) {
    const struct {
        const char* latch;
        int bits;
        uint32_t event;
    } cases[] = {
        {"io 6d", 0x80, HDDEC_F_RX_BLOCK}, {"io 6d", 0x40, HDDEC_F_RX}, {"io 6d", 0x20, HDDEC_F_RX},
        {"io 6d", 0x10, HDDEC_F_RX_BIT},   {"io 8b", 0x20, HDDEC_EV_AUX}, {"io 8b", 0x08, HDDEC_F_AUDIO_RATE},
        {"io 6d", 0x0F, 0},                {"io 8b", 0xD7, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.latch << " " << c.bits);
        ASSERT_EQ("ok", command(std::string("latch ") + c.latch + " " + hex(c.bits)));
        backend_.irq(&backend_);
        EXPECT_EQ(c.event, backend_.devices[0].events.exchange(0));
        EXPECT_EQ("0x00", command(std::string("get ") + c.latch));
    }
    EXPECT_EQ(0u, backend_.devices[1].events.load());
}

TEST_F(StatusTest, InterruptsBetweenTwoFetchesMerge) {
    ASSERT_EQ("ok", command("latch io 6d 80"));
    backend_.irq(&backend_);
    ASSERT_EQ("ok", command("latch io 8b 08"));
    backend_.irq(&backend_);
    EXPECT_EQ(HDDEC_F_RX_BLOCK | HDDEC_F_AUDIO_RATE, backend_.devices[0].events.exchange(0));
}

// The chip raises its interrupt while an enabled status bit is latched; the irq operation
// clears it, so the line is down again after the unmask.
TEST_F(StatusTest, EnabledLatchRaisesTheChipInterruptUntilHandled) {
    ASSERT_EQ(0, update(0, HDDEC_F_SOURCE));  // enables status A 0xF0 and B 0x28
    sigevent event;
    SIGEV_INTR_INIT(&event);
    int id = InterruptAttachEvent(ADV748X_INTR, &event, _NTO_INTR_FLAGS_TRK_MSK);
    ASSERT_GE(id, 0);

    ASSERT_EQ("ok", command("latch io 6d 0f"));  // not enabled
    EXPECT_FALSE(hu::irq::isAsserted(ADV748X_INTR));
    ASSERT_EQ("ok", command("latch io 6d 40"));
    ASSERT_EQ(0, InterruptWait(0, nullptr));
    backend_.irq(&backend_);
    EXPECT_FALSE(hu::irq::isAsserted(ADV748X_INTR));
    ASSERT_EQ(0, InterruptUnmask(ADV748X_INTR, id));
    EXPECT_EQ(HDDEC_F_RX, backend_.devices[0].events.load());

    uint64_t timeout = 50 * 1000 * 1000;
    TimerTimeout(CLOCK_MONOTONIC, _NTO_TIMEOUT_INTR, nullptr, &timeout, nullptr);
    EXPECT_EQ(-1, InterruptWait(0, nullptr));
    EXPECT_EQ(ETIMEDOUT, errno);
    InterruptDetach(id);
}

}  // namespace
