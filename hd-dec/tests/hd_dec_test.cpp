// The driver between its two peers: the chip stand-in below, a client above.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "chip_control.h"
#include "hddec_api.h"
#include "hu/devctl.h"
#include "hu/path.h"
#include "hu/slog_record.h"
#include "hu_testing.h"

using hu::testing::Process;

namespace {

constexpr uint64_t kControlIdCode = 0x4A002204;
constexpr uint64_t kPadconf9 = 0x4A00297C;
constexpr uint64_t kPadconf10 = 0x4A002980;
constexpr uint64_t kGpio8 = 0x48053000;

class HdDecTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(hu::testing::waitUntil([&] { return access(root_.host("/dev/slog").c_str(), F_OK) == 0; }));
        ASSERT_TRUE(hu::testing::waitForServer("/dev/i2c/i2c_0/sdp_main_map", chip_));
        hu::makeDirs(root_.host("/dev"));
        mem_ = open(root_.host("/dev/mem").c_str(), O_RDWR | O_CREAT, 0666);
        ASSERT_GE(mem_, 0);
        poke(kControlIdCode, 0x2B942000);
        // Edge detection left on by a previous owner: the driver must turn it off.
        for (uint32_t reg : {0x140u, 0x148u, 0x14Cu}) poke(kGpio8 + reg, 0x600);
    }
    void TearDown() override { close(mem_); }

    void startDriver(const std::vector<std::string>& args = {}) {
        std::vector<std::string> argv{hu::testing::binPath("hdrx-adv748x")};
        argv.insert(argv.end(), args.begin(), args.end());
        driver_ = std::make_unique<Process>(argv);
        ASSERT_TRUE(hu::testing::waitForServer(HDDEC_DEVICE_PATH, *driver_));
        fd_ = hu_open(HDDEC_DEVICE_PATH, O_RDWR);
        ASSERT_GE(fd_, 0);
    }

    void poke(uint64_t address, uint32_t value) { ASSERT_EQ(4, pwrite(mem_, &value, 4, static_cast<off_t>(address))); }
    uint32_t peek(uint64_t address) {
        uint32_t value = 0;
        EXPECT_EQ(4, pread(mem_, &value, 4, static_cast<off_t>(address)));
        return value;
    }

    // devctl with an hddec_arg_t; the devctl's status, with the reply's value and information.
    int call(unsigned dcmd, uint32_t dev, uint32_t value, uint32_t* out = nullptr, int* info = nullptr) {
        hddec_arg_t arg{dev, {value}};
        int information = -1;
        int status = devctl(fd_, static_cast<int>(dcmd), &arg, sizeof arg, &information);
        if (out != nullptr) *out = arg.value.u;
        if (info != nullptr) *info = information;
        return status;
    }

    std::string chip(const std::string& line) {
        if (!chip_control_) {
            hu::testing::waitForServer(adv748x_sim::kControlDevice);
            chip_control_ = std::make_unique<adv748x_sim::ChipControl>();
        }
        return chip_control_->command(line);
    }

    bool logged(const std::string& text) {
        return hu::testing::waitUntil([&] { return inLog(text, "/var/log/slog"); });
    }
    bool inLog(const std::string& text, const std::string& file) {
        for (const auto& r : hu::slog::readFile(root_.host(file))) {
            if (r.text == text && r.opcode == 8 && r.severity == 6) return true;
        }
        return false;
    }

    size_t logCount(const std::string& text, bool prefix = false) {
        size_t n = 0;
        for (const auto& r : hu::slog::readFile(root_.host("/var/log/slog"))) {
            if (prefix ? r.text.rfind(text, 0) == 0 : r.text == text) ++n;
        }
        return n;
    }

    size_t failedReads(const std::string& map, uint8_t reg) {
        size_t n = 0;
        for (const auto& a : adv748x_sim::parseJournal(hu::testing::readFile(root_.host(adv748x_sim::kJournalFile)))) {
            if (a.op == 'R' && a.failed && a.map == map && a.reg == reg) ++n;
        }
        return n;
    }

    uint32_t eventsWhenRaised() {
        uint32_t events = 0;
        hu::testing::waitUntil([&] {
            call(DCMD_HDDEC_GET_EVENTS, 0, 0, &events);
            return events != 0;
        });
        return events;
    }

    hu::testing::TempRoot root_;
    Process logger_{{hu::testing::binPath("slogger")}};
    Process chip_{{hu::testing::binPath("adv748x_chip")}};
    std::unique_ptr<Process> driver_;
    std::unique_ptr<adv748x_sim::ChipControl> chip_control_;
    int mem_ = -1;
    int fd_ = -1;
};

TEST_F(HdDecTest, ControlApiChecksItsArguments) {
    startDriver();
    uint32_t value = 0;
    EXPECT_EQ(EINVAL, call(DCMD_HDDEC_SET_SOURCE, 0, 1));
    EXPECT_TRUE(logged("hd-dec:io_devctl: invalid source idx 1 (maximum is 1)"));
    EXPECT_EQ(EINVAL, call(DCMD_HDDEC_SET_LANES, 1, 2));
    EXPECT_TRUE(logged("hd-dec:io_devctl: invalid num of lanes 2 (maximum is 1)"));
    EXPECT_EQ(EINVAL, call(DCMD_HDDEC_SET_LANES, 0, 0xFFFFFFFF));  // a negative count too

    for (unsigned dcmd : {DCMD_HDDEC_GET_NUM_SOURCES, DCMD_HDDEC_SET_SOURCE, DCMD_HDDEC_GET_EVENTS,
                          DCMD_HDDEC_SET_RX_FLAG, DCMD_HDDEC_GET_RX_STATUS, DCMD_HDDEC_GET_AUDIO_RATE,
                          DCMD_HDDEC_GET_RX_BIT, DCMD_HDDEC_SET_OUTPUT, DCMD_HDDEC_SET_LANES}) {
        EXPECT_EQ(EINVAL, call(dcmd, 2, 0)) << std::hex << dcmd;
    }
    hddec_block_t block{2, {}, {}};
    EXPECT_EQ(EINVAL, devctl(fd_, static_cast<int>(DCMD_HDDEC_GET_RX_BLOCK), &block, sizeof block, nullptr));
    EXPECT_EQ(ENOSYS, call(0xc00805ffu, 0, 0));

    uint32_t devices[2] = {0xdeadbeef, 7};
    EXPECT_EQ(EOK, devctl(fd_, static_cast<int>(DCMD_HDDEC_GET_NUM_DEVICES), devices, 4, nullptr));
    EXPECT_EQ(2u, devices[0]);
    EXPECT_EQ(EOK, call(DCMD_HDDEC_GET_NUM_SOURCES, 1, 0, &value));
    EXPECT_EQ(4u, value);

    // A payload shorter than the command needs is refused, not read past.
    uint32_t index_only = 0;
    EXPECT_EQ(EINVAL, devctl(fd_, static_cast<int>(DCMD_HDDEC_SET_SOURCE), &index_only, sizeof index_only, nullptr));
    EXPECT_EQ(EINVAL, devctl(fd_, static_cast<int>(DCMD_HDDEC_GET_NUM_DEVICES), &index_only, 2, nullptr));
}

TEST_F(HdDecTest, ChipInterruptWakesTheArmedClientWithItsEventBits) {
    startDriver();
    ASSERT_EQ(EOK, call(DCMD_HDDEC_SET_SOURCE, 0, 0));  // enables the chip's interrupts
    EXPECT_EQ(0, ionotify(fd_, _NOTIFY_ACTION_POLLARM, _NOTIFY_COND_OBAND, nullptr));

    ASSERT_EQ("ok", chip("latch io 6d c0"));  // status A: bit 7 (block) and bit 6 (rx)
    EXPECT_EQ(_NOTIFY_COND_OBAND, hu_notify_take(fd_, 10000));
    uint32_t events = 0;
    EXPECT_EQ(EOK, call(DCMD_HDDEC_GET_EVENTS, 0, 0, &events));
    EXPECT_EQ(HDDEC_EVENT_RX_BLOCK | HDDEC_EVENT_RX, events);
    EXPECT_EQ(EOK, call(DCMD_HDDEC_GET_EVENTS, 0, 0, &events));
    EXPECT_EQ(0u, events);

    // Several interrupts before a fetch merge into one set of bits.
    ASSERT_EQ("ok", chip("latch io 6d 10"));
    ASSERT_EQ("ok", chip("latch io 8b 28"));
    uint32_t merged = eventsWhenRaised();
    hu::testing::waitUntil([&] {
        uint32_t more = 0;
        call(DCMD_HDDEC_GET_EVENTS, 0, 0, &more);
        merged |= more;
        return merged == (HDDEC_EVENT_RX_BIT | HDDEC_EVENT_AUX | HDDEC_EVENT_AUDIO_RATE);
    });
    EXPECT_EQ(HDDEC_EVENT_RX_BIT | HDDEC_EVENT_AUX | HDDEC_EVENT_AUDIO_RATE, merged);
}

TEST_F(HdDecTest, ClientProcessSeesAnEventRaisedBeforeItArmed) {
    startDriver();
    ASSERT_EQ(EOK, call(DCMD_HDDEC_SET_SOURCE, 0, 0));
    ASSERT_EQ("ok", chip("latch io 6d 40"));
    // The condition stays met until fetched, so a late client still hears it.
    ASSERT_TRUE(hu::testing::waitUntil([&] { return ionotify(fd_, _NOTIFY_ACTION_POLL, _NOTIFY_COND_OBAND, nullptr) != 0; }));
    auto result = hu::testing::run({hu::testing::binPath("hddec-client"), "wait", "-t", "10000"});
    EXPECT_EQ(0, result.exit_code) << result.err;
    EXPECT_NE(std::string::npos, result.out.find("device 0: events 0x80000000 (RX)")) << result.out;
    EXPECT_NE(std::string::npos, result.out.find("rx status:")) << result.out;
}

// Fetching the events of a device that has none leaves the notification of another device's
// events standing: a client arming afterwards is told at once and gets them.
TEST_F(HdDecTest, FetchOnOneDeviceKeepsTheOtherDevicesNotification) {
    startDriver();
    ASSERT_EQ(EOK, call(DCMD_HDDEC_SET_SOURCE, 0, 0));
    ASSERT_EQ("ok", chip("latch io 6d 40"));
    ASSERT_TRUE(hu::testing::waitUntil([&] { return ionotify(fd_, _NOTIFY_ACTION_POLL, _NOTIFY_COND_OBAND, nullptr) != 0; }));
    auto other = hu::testing::run({hu::testing::binPath("hddec-client"), "events", "1"});
    EXPECT_EQ("device 1: events 0x00000000 (none)\n", other.out);
    EXPECT_EQ(_NOTIFY_COND_OBAND, ionotify(fd_, _NOTIFY_ACTION_POLLARM, _NOTIFY_COND_OBAND, nullptr));
    auto waiter = hu::testing::run({hu::testing::binPath("hddec-client"), "wait", "-t", "10000"});
    EXPECT_EQ(0, waiter.exit_code) << waiter.err;
    EXPECT_NE(std::string::npos, waiter.out.find("device 0: events 0x80000000 (RX)")) << waiter.out;
    // Fetched: the condition is gone.
    EXPECT_EQ(0, ionotify(fd_, _NOTIFY_ACTION_POLL, _NOTIFY_COND_OBAND, nullptr));
}

// A map that fails under a latched, level-triggered interrupt: the thread masks its line for
// a growing pause instead of spinning, logs the first failure only, and recovers on its own.
TEST_F(HdDecTest, DeadMapUnderALatchedInterruptIsRetriedQuietlyUntilItAnswers) {
    startDriver();
    ASSERT_EQ(EOK, call(DCMD_HDDEC_SET_SOURCE, 0, 0));
    const struct {
        const char* map;
        const char* latch;
        const char* status;
        uint8_t status_reg;
        const char* access_line;
        std::string thread;
        size_t lines_of_first_attempt;
    } cases[] = {
        {"io", "latch io 6d 40", "io 6d", 0x6D, "hd-dec:adv748x_i2c_rd: Failed to read from the decoder:Input/output error",
         "hd-dec:hd_dec_thread", 2},
        {"cbus", "latch cbus 10 01", "cbus 10", 0x10,
         "hd-dec:adv748x_i2c_block_rd: Failed to read from the decoder:Input/output error", "hd-dec:msc_thread", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.map);
        ASSERT_EQ("ok", chip(std::string("fail ") + c.map + " on"));
        ASSERT_EQ("ok", chip(c.latch));
        EXPECT_TRUE(logged(c.thread + ": interrupt status unreadable, next attempt in 10 ms"));
        ASSERT_TRUE(hu::testing::waitUntil([&] { return failedReads(c.map, c.status_reg) >= 5; }));
        EXPECT_EQ(c.lines_of_first_attempt, logCount(c.access_line));
        ASSERT_EQ("ok", chip(std::string("fail ") + c.map + " off"));
        EXPECT_TRUE(hu::testing::waitUntil(
            [&] { return logCount(c.thread + ": interrupt status readable again after ", true) == 1; }));
        EXPECT_EQ("0x00", chip(std::string("get ") + c.status));  // taken and cleared
    }
    EXPECT_EQ(HDDEC_EVENT_RX, eventsWhenRaised());
}

TEST_F(HdDecTest, FailingMapIsReportedAsEioInTheInformationValue) {
    startDriver();
    ASSERT_EQ(EOK, call(DCMD_HDDEC_SET_SOURCE, 0, 0));
    ASSERT_EQ("ok", chip("fail txa on"));
    int info = 0;
    EXPECT_EQ(EOK, call(DCMD_HDDEC_SET_LANES, 0, 2, nullptr, &info));
    EXPECT_EQ(EIO, info);
    EXPECT_TRUE(logged("hd-dec:io_devctl:update() failed:Input/output error"));
    ASSERT_EQ("ok", chip("fail txa off"));
    EXPECT_EQ(EOK, call(DCMD_HDDEC_SET_LANES, 0, 2, nullptr, &info));
    EXPECT_EQ(0, info);
    EXPECT_EQ("0x82", chip("get txa 00"));

    EXPECT_EQ(EOK, call(DCMD_HDDEC_SET_RX_FLAG, 1, 1, nullptr, &info));
    EXPECT_EQ(ENOTSUP, info);
}

TEST_F(HdDecTest, DriverOutlivesTheChipAndReportsEioForCommandsThatNeedIt) {
    startDriver();
    ASSERT_EQ(EOK, call(DCMD_HDDEC_SET_SOURCE, 0, 0));
    chip_.stop(SIGKILL);
    // Every update that programs the chip: the call succeeds, its information value is EIO.
    const struct {
        unsigned dcmd;
        uint32_t value;
    } kUpdates[] = {{DCMD_HDDEC_SET_SOURCE, 0}, {DCMD_HDDEC_SET_LANES, 2}, {DCMD_HDDEC_SET_OUTPUT, 1}};
    for (const auto& update : kUpdates) {
        int info = 0;
        EXPECT_EQ(EOK, call(update.dcmd, 0, update.value, nullptr, &info)) << std::hex << update.dcmd;
        EXPECT_EQ(EIO, info) << std::hex << update.dcmd;
    }
    EXPECT_TRUE(logged("hd-dec:io_devctl:update() failed:Input/output error"));
    // A query passes on the failure of its read.
    uint32_t status = 0;
    int info = 0;
    EXPECT_EQ(EOK, call(DCMD_HDDEC_GET_RX_STATUS, 0, 0, &status, &info));
    EXPECT_EQ(0xFFFFFFFFu, status);
    EXPECT_EQ(EIO, info);
    EXPECT_TRUE(driver_->running());
    uint32_t devices = 0;
    ASSERT_EQ(EOK, devctl(fd_, static_cast<int>(DCMD_HDDEC_GET_NUM_DEVICES), &devices, sizeof devices, nullptr));
    EXPECT_EQ(2u, devices);
}

// The system logger goes away while the driver runs, and comes back: the driver answers all
// along, its lines go to the fallback file meanwhile and to the logger again once it is back.
TEST_F(HdDecTest, LoggerGoneAndBackWhileTheDriverRuns) {
    startDriver();
    logger_.stop(SIGKILL);
    EXPECT_EQ(EINVAL, call(DCMD_HDDEC_SET_SOURCE, 0, 1));
    EXPECT_TRUE(inLog("hd-dec:io_devctl: invalid source idx 1 (maximum is 1)", "/var/log/slog.fallback"));
    EXPECT_EQ(EOK, call(DCMD_HDDEC_SET_SOURCE, 0, 0));

    Process logger({hu::testing::binPath("slogger")});
    const std::string line = "hd-dec:io_devctl: invalid num of lanes 2 (maximum is 1)";
    // Until the new logger has bound the socket the lines still go to the fallback file.
    EXPECT_TRUE(hu::testing::waitUntil([&] {
        EXPECT_EQ(EINVAL, call(DCMD_HDDEC_SET_LANES, 1, 2));
        return inLog(line, "/var/log/slog");
    }));
    EXPECT_TRUE(driver_->running());
}

TEST_F(HdDecTest, InterruptLinesAreHighLevelInputsAfterStartUp) {
    startDriver();
    EXPECT_EQ(0x0500u, peek(kPadconf9) >> 16);
    EXPECT_EQ(0x0500u, peek(kPadconf10) & 0xFFFF);
    const uint32_t pins = (1u << 9) | (1u << 10);
    EXPECT_EQ(pins, peek(kGpio8 + 0x134) & pins);  // OE: input
    EXPECT_EQ(pins, peek(kGpio8 + 0x144) & pins);  // level high
    for (uint32_t reg : {0x140u, 0x148u, 0x14Cu}) EXPECT_EQ(0u, peek(kGpio8 + reg) & pins) << std::hex << reg;
    EXPECT_EQ(0x8u, peek(kGpio8 + 0x10) & 0x18);
}

TEST_F(HdDecTest, StopsCleanlyOnSigterm) {
    startDriver();
    hu_close(fd_);
    int status = driver_->stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_NE(std::string::npos, driver_->err().find("hd-dec:main: dispatch_block failed: Interrupted system call\n"));
    EXPECT_NE(0, access(root_.host(HDDEC_DEVICE_PATH).c_str(), F_OK));  // the path is gone
    for (const char* irq : {"/dev/irq/1233", "/dev/irq/1234"}) {
        EXPECT_NE(0, access(root_.host(irq).c_str(), F_OK)) << irq;  // and the interrupt sockets
    }
}

// A message that ends in a newline of its own: one line on stderr, none in the record.
TEST_F(HdDecTest, MessageWithItsOwnNewlineIsOneLine) {
    hu::makeDirs(root_.host("/dev/irq/1233/taken"));  // the interrupt cannot be attached
    startDriver();
    const std::string text = "hd-dec:hd_dec_thread: InterruptAttachEvent failed (Address already in use)";
    EXPECT_TRUE(logged(text));
    driver_->stop(SIGTERM);
    EXPECT_NE(std::string::npos, driver_->err().find(text + "\nhd-dec:")) << driver_->err();
}

TEST(HdDecStartupTest, AbsentMapEndsStartUpWithItsErrno) {
    hu::testing::TempRoot root;
    Process chip({hu::testing::binPath("adv748x_chip"), "-a", "cbus"});
    ASSERT_TRUE(hu::testing::waitForServer("/dev/i2c/i2c_0/sdp_main_map", chip));
    auto result = hu::testing::run({hu::testing::binPath("hdrx-adv748x")});
    EXPECT_EQ(1, result.exit_code);
    EXPECT_NE(std::string::npos,
              result.err.find("hd-dec:adv748x_init:could not open /dev/i2c/i2c_0/cbus_map (No such file or directory)\n"
                              "hd-dec:init() failed:No such file or directory\n"))
        << result.err;
}

}  // namespace
