// The chip's CBUS FIFOs: transmit, receive, reset; and the per-block context reset.
#include <cassert>
#include <cstring>

#include "adv748x_io.h"
#include "adv748x_msc_internal.h"
#include "adv748x_regseq.h"
#include "hddec_log.h"

namespace {

struct fifo_regs {
    uint8_t tx_data, tx_flags, rx_data, rx_flags, control;
};
const fifo_regs kFifo[2] = {
    {0x80, 0x40, 0xA0, 0x50, CBUS_REQ_CTRL},  // MSC_REQUESTER
    {0xC0, 0x60, 0xE0, 0x70, CBUS_RESP_CTRL},  // MSC_RESPONDER
};

const fifo_regs& fifo_of(int block) {
    assert(block == MSC_REQUESTER || block == MSC_RESPONDER);
    return kFifo[block];
}

}  // namespace

int msc_write_to_txfifo(MscContext* ctx, int block, const MscBuffer* buf) {
    assert(buf->npackets > 0);
    const fifo_regs& f = fifo_of(block);
    int n = buf->npackets;
    uint8_t data[MSC_BUF_PACKETS] = {};
    uint8_t flags[(MSC_BUF_PACKETS + 7) / 8] = {};
    for (int i = 0; i < n; ++i) {
        data[i] = buf->packets[i].value;
        if (buf->packets[i].control) flags[i / 8] |= (uint8_t)(1u << (i % 8));
    }
    int err = adv748x_i2c_block_wr(ctx->cbus, f.tx_data, data, (size_t)n);
    int err_flags = adv748x_i2c_block_wr(ctx->cbus, f.tx_flags, flags, (size_t)(n + 7) / 8);
    if (ctx->verbosity & MSC_VERBOSE_FIFO) {
        uint8_t back[4] = {}, back_flags = 0;
        adv748x_i2c_block_rd(ctx->cbus, f.tx_data, sizeof back, back);
        adv748x_i2c_rd(ctx->cbus, f.tx_flags, &back_flags);
        hddec_log("write %d bytes to fifo %#x: %#x, %#x, %#x, %#x, with flags reg %#x set to %#x", n, f.tx_data, back[0],
                  back[1], back[2], back[3], f.tx_flags, back_flags);
    }
    return err != 0 ? err : err_flags;
}

// Appends up to num received packets (the requester's count comes from the chip) to buf.
// Never more than the buffer holds, whatever the count register claims.
int msc_read_from_rxfifo(MscContext* ctx, int num, MscBuffer* buf, int block) {
    const fifo_regs& f = fifo_of(block);
    if (block == MSC_REQUESTER) {
        uint8_t count = 0;
        int err = adv748x_i2c_rd(ctx->cbus, CBUS_REQ_RX_COUNT, &count);
        if (err != 0) return err;
        num = count & 0x1F;
    } else {
        assert(num > 0);
    }
    int start = buf->npackets;
    if (num > MSC_BUF_PACKETS - start) num = MSC_BUF_PACKETS - start;
    if (num <= 0) return 0;

    uint8_t data[MSC_BUF_PACKETS];
    uint8_t flags[4] = {};
    int first_flag = start / 8;
    int nflags = (start + num - 1) / 8 - first_flag + 1;
    int err = adv748x_i2c_block_rd(ctx->cbus, (uint8_t)(f.rx_data + start), (size_t)num, data);
    int err_flags = adv748x_i2c_block_rd(ctx->cbus, (uint8_t)(f.rx_flags + first_flag), (size_t)nflags, flags);
    if (ctx->verbosity & MSC_VERBOSE_FIFO) {
        hddec_log("read %d bytes from fifo %#x: %#x, %#x, %#x, with flags reg %#x read as %#x, %#x, %#x", num,
                  f.rx_data + start, data[0], num > 1 ? data[1] : 0, num > 2 ? data[2] : 0, f.rx_flags + first_flag,
                  flags[0], flags[1], flags[2]);
    }
    if (err != 0) return err;
    if (err_flags != 0) return err_flags;
    for (int i = 0; i < num; ++i) {
        int bit = start + i - first_flag * 8;
        buf->packets[start + i] = {(uint32_t)((flags[bit / 8] >> (bit % 8)) & 1), data[i]};
    }
    buf->npackets = start + num;
    return 0;
}

void msc_reset_fifo(MscContext* ctx, int block) { adv748x_i2c_wr(ctx->cbus, fifo_of(block).control, CBUS_FIFO_RESET); }

void msc_clear_responder(MscContext* ctx) {
    ctx->resp.cmd = 0;
    ctx->resp.expected_rx_bytes = 0;
    ctx->resp.rx_buf.npackets = 0;
    ctx->resp.tx_buf.npackets = 0;
}

void msc_reset_context(MscContext* ctx, int block) {
    ctx->sw_state = MSC_STATE_IDLE;
    ctx->expected_int = MSC_EXPECT_NONE;
    ctx->error_code = 0;
    switch (block) {
        case MSC_REQUESTER:
            ctx->req.tx_buf = nullptr;
            ctx->req.expected_rx_bytes = 0;
            ctx->req.rx_buf.npackets = 0;
            break;
        case MSC_RESPONDER: msc_clear_responder(ctx); break;
        default: assert(0 && "unexpected block type");
    }
}

void msc_set_int_enable(MscContext* ctx, uint32_t bit, bool on) {
    int byte = 0;
    while (bit > 0xFF) {
        bit >>= 8;
        ++byte;
    }
    adv748x_modify(ctx->cbus, (uint8_t)(CBUS_INT_ENABLE + byte), on ? 0xFF : (uint8_t)~bit, on ? (uint8_t)bit : 0x00);
}
