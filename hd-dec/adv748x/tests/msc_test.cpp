// The sideband engine against the stand-in's MHL source: discovery, the source's requests,
// abort, resend and time-outs, and a hostile source.
#include <algorithm>
#include <random>

#include "adv748x_io.h"
#include "adv748x_msc_internal.h"
#include "hu/interrupt_line.h"
#include "msc_fixture.h"

namespace {

const std::vector<uint8_t> kSourceCaps = {0x00, 0x12, 0x02, 0x3F, 0x01, 0x00, 0x01, 0x00,
                                          0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};

int freeBuffers(const MscContext& ctx) {
    int n = 0;
    for (const MscBuffer* b = ctx.free_q.head; b != nullptr; b = b->next) ++n;
    return n;
}

std::string devcapRequest(int offset) {
    char line[32];
    std::snprintf(line, sizeof line, "request c:61 d:%02x", offset);
    return line;
}

TEST_F(MscFixture, LinkUpRunsDiscoveryToTheEnd) {
    mhl("connect");
    ASSERT_TRUE(waitForMhl("request c:64"));
    ASSERT_TRUE(waitForMhl("request c:60 d:30 d:01"));  // our capabilities are ready
    mhl("send c:60 d:20 d:01");                         // the source's have changed
    for (int offset = 0; offset < 16; ++offset) ASSERT_TRUE(waitForMhl(devcapRequest(offset))) << offset;
    ASSERT_TRUE(waitForMhl("request c:60 d:31 d:0b"));
    ASSERT_TRUE(waitForMhl("request c:60 d:20 d:01"));
    ASSERT_TRUE(waitForDriverLog("msc_link_discovery_func: disc st 0x6"));
    stopEngine();
    EXPECT_EQ(6, msc().disc_state);
    EXPECT_EQ(kSourceCaps, std::vector<uint8_t>(msc().peer_regs, msc().peer_regs + 16));
    EXPECT_EQ(MSC_IDX_NONE, msc().cap_read_idx);
    EXPECT_EQ(MSC_NUM_REQ_BUFS, freeBuffers(msc()));
    // Discovery order: SET_HPD first, then our status.
    auto log = mhlLog();
    auto first = [&](const std::string& l) { return std::find(log.begin(), log.end(), l) - log.begin(); };
    EXPECT_LT(first("request c:64"), first("request c:60 d:30 d:01"));
    EXPECT_LT(first("request c:60 d:30 d:01"), first("request c:60 d:31 d:0b"));
}

// The source's requests and our replies, one after another on a link without discovery.
TEST_F(MscFixture, AnswersEveryRequestOfTheSource) {
    ASSERT_EQ("ok", command("set cbus 02 01"));  // hardware ready, sequencer idle
    const struct {
        const char* request;
        const char* reply;
    } cases[] = {
        {"c:61 d:03", "c:33 d:89"},
        {"c:61 d:10", "c:35"},
        {"c:6b", "d:10"},  // bad offset
        {"c:68 d:10 d:00", "c:34"},
        {"c:68 d:02 d:00", "c:33"},
        {"c:66", "c:35"},
        {"c:6b", "d:08"},  // invalid opcode
        {"d:61", "c:35"},
        {"c:6b", "d:02"},  // protocol error
        {"c:6d", "c:35"},
        {"c:63", "d:1d"},
        {"c:62", "d:00"},
        {"c:64", "c:33"},
        {"c:65", "c:33"},
        {"c:6a", "d:00"},
        {"c:60 d:31 d:0b", "c:33"},
        {"c:60 d:40 d:00", "c:35"},
        {"c:60 c:30 d:00", "c:35"},
        {"c:6c d:40 d:89 d:10 d:00 d:01 d:02 d:03 d:04 d:05 d:06 d:07 d:08 d:09 d:0a d:0b d:0c d:0d c:32", "c:33"},
        {"c:6c d:40 d:12 d:34 d:ff d:ff c:32", "c:35"},  // another adopter id
        {"c:6c d:4e d:89 d:10 d:ff d:ff d:ff c:32", "c:35"},  // past the scratchpad
        {"c:6c d:40 d:89 d:10 d:ff c:33", "c:35"},  // not ended with EOF
    };
    for (const auto& c : cases) EXPECT_EQ(c.reply, ask(c.request)) << c.request;
    stopEngine();
    EXPECT_EQ(0x0b, msc().peer_regs[0x31]);
    std::vector<uint8_t> scratchpad(msc().local_regs + 0x40, msc().local_regs + 0x50);
    EXPECT_EQ((std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0, 0}), scratchpad);
}

// A request that arrives in parts: the engine waits for the size match (or, for a burst,
// for each packet) before it answers.
TEST_F(MscFixture, RequestsInPartsAreAnsweredWhenComplete) {
    ASSERT_EQ("ok", command("set cbus 02 01"));
    auto enabled = [this](const char* reg, int bit) {
        return hu::testing::waitUntil([&] { return std::stoi(command(std::string("get cbus ") + reg), nullptr, 16) & bit; });
    };
    // The size to match is the request's length less one.
    EXPECT_EQ("c:33 d:10",
              askInParts(1, "c:61 d:04", [&] { return enabled("16", 0x04) && command("get cbus 35") == "0x01"; }));
    ASSERT_TRUE(hu::testing::waitUntil([&] { return command("get cbus 16") == "0xf3"; }));

    EXPECT_EQ("c:33", askInParts(3, "c:6c d:42 d:89 d:10 d:aa d:bb c:32", [&] { return enabled("17", 0x80); }));
    stopEngine();
    EXPECT_EQ(0xaa, msc().local_regs[0x42]);
    EXPECT_EQ(0xbb, msc().local_regs[0x43]);
}

// With the responder's tracing on, a request the source never finishes is not dropped silently.
class MscTraceTest : public MscFixture {
protected:
    MscTraceTest() { verbosity_ = kVerbosity | MSC_VERBOSE_RESP; }
};

TEST_F(MscTraceTest, HalfReceivedRequestDroppedAfterItsTimeOutIsLogged) {
    ASSERT_EQ("ok", command("set cbus 02 01"));
    mhl("send hold 1 c:61 d:04");
    EXPECT_TRUE(waitForDriverLog("msc_thread: request 0x61 of the source not done in time (1 of 2 packets), dropped"));
}

bool journalHas(const std::vector<adv748x_sim::BusAccess>& journal, const char* map, uint8_t reg,
                std::vector<uint8_t> bytes) {
    return std::any_of(journal.begin(), journal.end(), [&](const adv748x_sim::BusAccess& a) {
        return a.op == 'W' && a.map == map && a.reg == reg && a.bytes == bytes;
    });
}

// However the source fails to answer (a reply cut off by an abort too), the request goes out
// again until it is answered, and discovery goes on.
class ResendTest : public MscFixture, public testing::WithParamInterface<const char*> {};

TEST_P(ResendTest, RequestIsResentUntilAnswered) {
    mhl("disconnect");
    mhl(std::string("answer ") + GetParam() + " 2");
    mhl("connect");
    ASSERT_TRUE(waitForMhl("request c:64", 3));
    ASSERT_TRUE(waitForMhl("request c:60 d:30 d:01"));  // discovery went on
}

INSTANTIATE_TEST_SUITE_P(SourceFailures, ResendTest, testing::Values("abort", "nack", "silent", "rx-abort"));

// A source that refuses every request: each request is resent after a growing pause, the
// other queue is served meanwhile, and after its last resend the request is given up.
TEST_F(MscFixture, RefusedRequestsBackOffAndAreGivenUp) {
    ASSERT_EQ("ok", command("set cbus 02 01"));
    mhl("answer nack");
    // The source asks for a SET_INT (high priority) and grants a write burst (regular queue).
    mhl("send c:60 d:20 d:0c");
    ASSERT_TRUE(waitForDriverLog("req_prepare_for_resend: request 0x60 given up after 9 attempts"));
    ASSERT_TRUE(waitForDriverLog("req_prepare_for_resend: request 0x6c given up after 9 attempts"));
    stopEngine();
    EXPECT_EQ(MSC_NUM_REQ_BUFS, freeBuffers(msc()));
    auto log = mhlLog();
    std::vector<std::string> sent;
    for (const auto& line : log) {
        if (line.rfind("request ", 0) == 0) sent.push_back(line.substr(0, 12));
    }
    EXPECT_EQ(9, std::count(sent.begin(), sent.end(), "request c:60"));
    EXPECT_EQ(9, std::count(sent.begin(), sent.end(), "request c:6c"));
    ASSERT_GE(sent.size(), 3u);
    // The burst went out while the refused SET_INT waited for its pause.
    EXPECT_EQ((std::vector<std::string>{"request c:60", "request c:6c", "request c:60"}),
              std::vector<std::string>(sent.begin(), sent.begin() + 3));
}

// A source that asks while our request waits wins the bus; ours goes out after the answer.
TEST_F(MscFixture, OurRequestYieldsToTheSources) {
    mhl("answer silent 1");
    mhl("connect");
    ASSERT_TRUE(waitForMhl("request c:64"));
    mhl("send c:61 d:03");  // waits for the bus
    ASSERT_TRUE(waitForMhl("reply c:33 d:89"));
    ASSERT_TRUE(waitForMhl("request c:64", 2));
    ASSERT_TRUE(waitForMhl("request c:60 d:30 d:01"));
}

TEST_F(MscFixture, LinkLossDuringDiscoveryResetsBothFifosAndStopsIt) {
    mhl("answer silent");
    mhl("connect");
    ASSERT_TRUE(waitForMhl("request c:64"));
    clearJournal();
    mhl("disconnect");
    ASSERT_TRUE(hu::testing::waitUntil([&] {
        auto j = journal();
        return journalHas(j, "cbus", 0x00, {0xC0}) && journalHas(j, "cbus", 0x01, {0xC0});
    }));
    stopEngine();
    EXPECT_EQ(0, msc().disc_state);
    EXPECT_EQ(MSC_IDX_NONE, msc().cap_read_idx);
    EXPECT_EQ(MSC_IDX_NONE, msc().prop_idx);
    EXPECT_EQ(nullptr, msc().req.tx_buf);
    EXPECT_EQ(MSC_NUM_REQ_BUFS, freeBuffers(msc()));  // nothing of the old link is kept
    EXPECT_EQ(0, msc().local_regs[0x30] & 0x01);

    // A new link starts discovery afresh.
    ASSERT_EQ(0, msc_context_init(&msc(), backend_.maps[ADV748X_CBUS], kVerbosity));
    mhl("answer auto");
    mhl("connect");
    ASSERT_TRUE(waitForMhl("request c:60 d:30 d:01"));
}

// Random and over-long packets, counts and status bits from the source: the engine never
// leaves its buffers, never stops, and answers a proper request afterwards.
TEST_F(MscFixture, HostileSourceCannotBreakTheEngine) {
    std::mt19937 rng(1234);
    auto byte = [&] { return static_cast<int>(rng() & 0xFF); };
    auto hex = [](int v) {
        char t[8];
        std::snprintf(t, sizeof t, "%x", v);
        return std::string(t);
    };
    auto packets = [&](int n) {
        std::string text;
        for (int i = 0; i < n; ++i) text += std::string(i ? " " : "") + ((rng() & 3) == 0 ? "c:" : "d:") + hex(byte());
        return text;
    };
    const char* status_regs[] = {"10", "11", "12"};
    for (int round = 0; round < 400; ++round) {
        switch (rng() % 6) {
            case 0:
                mhl("fifo resp " + hex(byte()) + " " + packets(1 + rng() % 32));
                ASSERT_EQ("ok", command("latch cbus 10 " + hex(0x02 | (byte() & 0x8D))));
                break;
            case 1:
                mhl("fifo req " + hex(byte()) + " " + packets(1 + rng() % 32));
                ASSERT_EQ("ok", command("latch cbus 10 " + hex(0x01 | (byte() & 0xB0))));
                break;
            case 2: ASSERT_EQ("ok", command(std::string("latch cbus ") + status_regs[rng() % 3] + " " + hex(byte()))); break;
            case 3:
                ASSERT_EQ("ok", command("set cbus 28 " + hex(byte())));
                ASSERT_EQ("ok", command("latch cbus 12 02"));
                break;
            case 4: ASSERT_EQ("ok", command("set cbus 02 " + hex(byte()))); break;
            case 5: mhl("send-now " + packets(1 + rng() % 40)); break;
        }
        // Paced by the engine: it has taken the status (bounded wait, not an assertion).
        hu::testing::waitUntil([] { return !hu::irq::isAsserted(MSC_INTR); }, std::chrono::milliseconds(500));
    }
    ASSERT_EQ("ok", command("set cbus 02 01"));
    ASSERT_EQ("ok", command("set cbus 28 00"));
    ASSERT_EQ("ok", command("latch cbus 12 02"));
    bool answered = false;
    for (int attempt = 0; attempt < 10 && !answered; ++attempt) {
        mhl("fifo resp 0");
        mhl("fifo req 0");
        answered = ask("c:61 d:03") == "c:33 d:89";
    }
    EXPECT_TRUE(answered);
    stopEngine();
    EXPECT_LE(msc().req.rx_buf.npackets, MSC_BUF_PACKETS);
    EXPECT_LE(msc().resp.rx_buf.npackets, MSC_BUF_PACKETS);
}

}  // namespace
