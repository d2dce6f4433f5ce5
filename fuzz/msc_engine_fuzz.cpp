// The sideband engine's responder and requester against an arbitrary peer: the chip's CBUS
// registers (interrupt causes, FIFO contents and counts, hardware and sequencer states) hold
// whatever the input puts there, and any transfer may fail. The engine runs as its thread runs
// it, one wake-up at a time, on a register file of this target in place of the I2C service.
// Invariants: no transfer leaves the register map, no FIFO access leaves its FIFO; what goes
// out is well formed (a request is one known command of at most a burst's length, a reply is
// an ACK with one data byte, or one ACK, NACK, ABORT or data byte); every request buffer is in
// exactly one place; fills, indexes and states within their bounds; no hang.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "adv748x_io.h"
#include "adv748x_msc_internal.h"
#include "fuzz_root.h"

namespace {

// Where the chip keeps the FIFOs of each block.
struct Fifo {
    uint8_t tx_data, tx_flags, rx_data, rx_flags, control;
};
constexpr Fifo kRequesterFifo{0x80, 0x40, 0xA0, 0x50, CBUS_REQ_CTRL};
constexpr Fifo kResponderFifo{0xC0, 0x60, 0xE0, 0x70, CBUS_RESP_CTRL};
constexpr int kFlagBytes = (MSC_BUF_PACKETS + 7) / 8;
constexpr int kBurstPackets = 19;  // command, offset, adopter id (2), 14 bytes, EOF

uint8_t g_regs[256];
int g_failing;  // transfers still to fail
// What was last written into each transmit FIFO.
struct Written {
    int npackets;
    MscPacket packets[MSC_BUF_PACKETS];
};
Written g_request, g_reply;

bool within(uint8_t reg, size_t n, uint8_t first, size_t length) { return reg >= first && reg + n <= first + length; }

bool failNow() {
    if (g_failing == 0) return false;
    --g_failing;
    return true;
}

void checkRead(uint8_t reg, size_t n) {
    FUZZ_CHECK(n >= 1 && reg + n <= sizeof g_regs);
    for (const Fifo& f : {kRequesterFifo, kResponderFifo}) {
        if (within(reg, 1, f.rx_data, MSC_BUF_PACKETS)) FUZZ_CHECK(within(reg, n, f.rx_data, MSC_BUF_PACKETS));
        if (within(reg, 1, f.rx_flags, kFlagBytes)) FUZZ_CHECK(within(reg, n, f.rx_flags, kFlagBytes));
    }
}

void recordFifoWrite(Written& fifo, const Fifo& f, uint8_t reg, const uint8_t* bytes, size_t n) {
    if (reg == f.tx_data) {
        FUZZ_CHECK(n >= 1 && n <= MSC_BUF_PACKETS);
        fifo.npackets = static_cast<int>(n);
        for (size_t i = 0; i < n; ++i) fifo.packets[i].value = bytes[i];
    } else if (reg == f.tx_flags) {
        FUZZ_CHECK(static_cast<int>(n) == (fifo.npackets + 7) / 8);
        for (int i = 0; i < fifo.npackets; ++i) fifo.packets[i].control = (bytes[i / 8] >> (i % 8)) & 1;
    } else {
        FUZZ_CHECK(!within(reg, n, f.tx_data, MSC_BUF_PACKETS) && !within(reg, n, f.tx_flags, kFlagBytes));
    }
}

void checkRequestSent(uint8_t control) {
    const int n = control >> 1;
    FUZZ_CHECK(n == g_request.npackets && n <= kBurstPackets);
    const MscPacket* p = g_request.packets;
    FUZZ_CHECK(p[0].control && msc_cmd(static_cast<uint8_t>(p[0].value)) != nullptr);
    FUZZ_CHECK(msc_cmd(static_cast<uint8_t>(p[0].value))->request_error == 0);
    const bool burst = p[0].value == MSC_WRITE_BURST;
    for (int i = 1; i < n; ++i) FUZZ_CHECK(!p[i].control || (burst && i == n - 1 && p[i].value == MSC_EOF));
}

void checkReplySent(uint8_t control) {
    const int n = control >> 1;
    FUZZ_CHECK(n == g_reply.npackets);
    const MscPacket* p = g_reply.packets;
    if (n == 2) {
        FUZZ_CHECK(p[0].control && p[0].value == MSC_ACK && !p[1].control);
    } else {
        FUZZ_CHECK(n == 1);
        FUZZ_CHECK(!p[0].control || p[0].value == MSC_ACK || p[0].value == MSC_NACK || p[0].value == MSC_ABORT);
    }
}

void checkWrite(uint8_t reg, const uint8_t* bytes, size_t n) {
    FUZZ_CHECK(n >= 1 && reg + n <= sizeof g_regs);
    recordFifoWrite(g_request, kRequesterFifo, reg, bytes, n);
    recordFifoWrite(g_reply, kResponderFifo, reg, bytes, n);
    const bool send = n == 1 && (bytes[0] & 1);  // a FIFO reset has bit 0 clear
    if (send && reg == kRequesterFifo.control) checkRequestSent(bytes[0]);
    if (send && reg == kResponderFifo.control) checkReplySent(bytes[0]);
}

// The engine's clock: still between steps, a wait's time-out moves it on as the engine's
// wait would, so resends after their pause are reached and every run is the same.
uint64_t g_now;
uint64_t fuzzNow() { return g_now; }

// The queues: every buffer is one of the context's, in exactly one place.
void checkBuffers(const MscContext& ctx) {
    bool seen[MSC_NUM_REQ_BUFS] = {};
    int placed = 0;
    auto place = [&](const MscBuffer* buf) {
        FUZZ_CHECK(buf >= ctx.req_bufs && buf < ctx.req_bufs + MSC_NUM_REQ_BUFS);
        FUZZ_CHECK(!seen[buf - ctx.req_bufs]);
        seen[buf - ctx.req_bufs] = true;
        ++placed;
    };
    auto walk = [&](const MscQueue& q, bool free) {
        FUZZ_CHECK((q.head == nullptr) == (q.tail == nullptr));
        const MscBuffer* last = nullptr;
        for (const MscBuffer* b = q.head; b != nullptr; b = b->next) {
            place(b);  // a cycle meets a buffer twice
            FUZZ_CHECK(free ? b->npackets == 0 : b->npackets >= 1 && b->npackets <= MSC_BUF_PACKETS);
            // A resent request waits at most the longest pause; no request is resent past the limit.
            FUZZ_CHECK(b->resends >= 0 && b->resends <= MSC_MAX_RESENDS);
            FUZZ_CHECK(free ? b->resends == 0 && b->not_before == 0
                            : b->not_before <= g_now + MSC_RESEND_MAX_MS * 1000000ull);
            last = b;
        }
        FUZZ_CHECK(q.tail == last);
    };
    walk(ctx.free_q, true);
    walk(ctx.regular_q, false);
    walk(ctx.highprio_q, false);
    if (ctx.req.tx_buf != nullptr) {
        place(ctx.req.tx_buf);
        FUZZ_CHECK(ctx.req.tx_buf->npackets >= 1 && ctx.req.tx_buf->npackets <= kBurstPackets);
    }
    FUZZ_CHECK(placed == MSC_NUM_REQ_BUFS);
}

void checkEngine(const MscContext& ctx) {
    checkBuffers(ctx);
    for (const MscBuffer* b : {&ctx.req.rx_buf, &ctx.resp.rx_buf, &ctx.resp.tx_buf}) {
        FUZZ_CHECK(b->npackets >= 0 && b->npackets <= MSC_BUF_PACKETS);
    }
    FUZZ_CHECK(ctx.resp.rx_buf.npackets <= ctx.resp.expected_rx_bytes || ctx.resp.rx_buf.npackets == 0);
    FUZZ_CHECK(ctx.sw_state >= MSC_STATE_IDLE && ctx.sw_state <= MSC_STATE_REQ_RX);
    if (ctx.sw_state == MSC_STATE_REQ_TX || ctx.sw_state == MSC_STATE_REQ_RX) FUZZ_CHECK(ctx.req.tx_buf != nullptr);
    FUZZ_CHECK(ctx.disc_state >= 0 && ctx.disc_state <= 6);
    FUZZ_CHECK(ctx.cap_read_idx == MSC_IDX_NONE || (ctx.cap_read_idx >= 0 && ctx.cap_read_idx < MSC_NUM_CAPS));
    FUZZ_CHECK(ctx.prop_idx == MSC_IDX_NONE || (ctx.prop_idx >= 0x20 && ctx.prop_idx <= 0x32));
    FUZZ_CHECK(ctx.error_code == 0 || ctx.error_code == MSC_ERR_PROTOCOL || ctx.error_code == MSC_ERR_OPCODE ||
               ctx.error_code == MSC_ERR_OFFSET);
}

using hu::fuzz::Reader;

// The peer puts packets into one of the receive FIFOs and says how many there are.
void fillFifo(Reader& in) {
    const bool responder = in.take(1) & 1;
    const Fifo& f = responder ? kResponderFifo : kRequesterFifo;
    const int n = static_cast<int>(in.take(1) % (MSC_BUF_PACKETS + 1));
    for (int i = 0; i < n; ++i) g_regs[f.rx_data + i] = static_cast<uint8_t>(in.take(1));
    for (int i = 0; i < kFlagBytes; ++i) g_regs[f.rx_flags + i] = static_cast<uint8_t>(in.take(1));
    g_regs[responder ? CBUS_RESP_RX_COUNT : CBUS_REQ_RX_COUNT] = static_cast<uint8_t>(n);
}

const uint32_t kCauses[] = {MSC_INT_IDLE,    MSC_INT_RESP_RX, MSC_INT_RESP_SIZE_MATCH, MSC_INT_RESP_TX_DONE,
                            MSC_INT_REQ_TX,  MSC_INT_REQ_RX,  MSC_INT_ABORT,           MSC_INT_RESP_PKT_RX,
                            MSC_INT_LINK};

void wake(MscContext& ctx, uint32_t status, bool timed_out) {
    if (timed_out) g_now += 320000000ull;
    msc_handle_wake(&ctx, status, timed_out);
    msc_continue_discovery(&ctx, status, timed_out);
}

MscContext g_ctx;

}  // namespace

// The chip, as the engine reaches it.
int adv748x_i2c_wr(int map, uint8_t reg, uint8_t value) { return adv748x_i2c_block_wr(map, reg, &value, 1); }

int adv748x_i2c_block_wr(int map, uint8_t reg, const uint8_t* bytes, size_t n) {
    FUZZ_CHECK(map == ADV748X_CBUS);
    checkWrite(reg, bytes, n);
    if (failNow()) return EIO;
    memcpy(g_regs + reg, bytes, n);
    return 0;
}

int adv748x_i2c_rd(int map, uint8_t reg, uint8_t* data) { return adv748x_i2c_block_rd(map, reg, 1, data); }

int adv748x_i2c_block_rd(int map, uint8_t reg, size_t n, uint8_t* data) {
    FUZZ_CHECK(map == ADV748X_CBUS);
    checkRead(reg, n);
    if (failNow()) return EIO;
    memcpy(data, g_regs + reg, n);
    return 0;
}

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    hu::fuzz::usePrivateRoot();  // the engine's log lines
    msc_now_ns = fuzzNow;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    memset(g_regs, 0, sizeof g_regs);
    g_failing = 0;
    g_request = g_reply = {};
    g_now = 1000000000ull;
    const unsigned verbosity = in.take(2) & 0x3FCu;  // every trace path, the FIFO read-backs too
    msc_context_setup(&g_ctx, ADV748X_CBUS, verbosity);
    // Each step: what the peer does next.
    while (!in.done()) {
        switch (in.take(1) % 6) {
            case 0: {
                const uint8_t reg = static_cast<uint8_t>(in.take(1));
                g_regs[reg] = static_cast<uint8_t>(in.take(1));
                break;
            }
            case 1: fillFifo(in); break;
            case 2: wake(g_ctx, in.take(3), false); break;
            case 3: wake(g_ctx, kCauses[in.take(1) % (sizeof kCauses / sizeof kCauses[0])], false); break;
            case 4: wake(g_ctx, 0, true); break;
            case 5: g_failing = static_cast<int>(in.take(1) % 8); break;
        }
        checkEngine(g_ctx);
    }
    return 0;
}
