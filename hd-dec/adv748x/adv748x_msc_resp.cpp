// The responder: the source's requests in through the responder FIFO, our replies out.
#include <cassert>

#include "adv748x_io.h"
#include "adv748x_msc_internal.h"
#include "hddec_log.h"

namespace {

#define WRITE_BURST_COMPLETE 18  // more packets than this end a burst
#define SCRATCHPAD_FIRST 0x40
#define SCRATCHPAD_LAST 0x4F

void log_unexpected(MscContext* ctx, const char* func) {
    hddec_log("%s: unexpected interrupt, sw_state is 0x%x, expected_int = %d", func, ctx->sw_state, ctx->expected_int);
}

bool request_complete(const MscContext* ctx) {
    const MscBuffer* rx = &ctx->resp.rx_buf;
    if (ctx->resp.cmd == MSC_WRITE_BURST) {
        return rx->npackets > WRITE_BURST_COMPLETE || (rx->npackets > 1 && rx->packets[rx->npackets - 1].control);
    }
    return rx->npackets == ctx->resp.expected_rx_bytes;
}

// Reads what the chip has received beyond the packets already in the buffer, up to the
// request's expected length. Returns the chip's count (as limited).
int read_remaining(MscContext* ctx, const char* func) {
    uint8_t reg = 0;
    if (adv748x_i2c_rd(ctx->cbus, CBUS_RESP_RX_COUNT, &reg) != 0) return ctx->resp.rx_buf.npackets;
    int count = reg & 0x1F;
    if (count > ctx->resp.expected_rx_bytes) {
        hddec_log("%s: responder receives more bytes (%d) than expected (%d)", func, count, ctx->resp.expected_rx_bytes);
        count = ctx->resp.expected_rx_bytes;
    }
    int missing = count - ctx->resp.rx_buf.npackets;
    if (missing > 0) msc_read_from_rxfifo(ctx, missing, &ctx->resp.rx_buf, MSC_RESPONDER);
    return count;
}

void reply_add(MscContext* ctx, bool control, uint8_t value) {
    MscBuffer* tx = &ctx->resp.tx_buf;
    if (tx->npackets < MSC_BUF_PACKETS) tx->packets[tx->npackets++] = {control ? 1u : 0u, value};
}

int send_reply(MscContext* ctx) {
    const MscBuffer* tx = &ctx->resp.tx_buf;
    int err = msc_write_to_txfifo(ctx, MSC_RESPONDER, tx);
    if (err == 0) err = adv748x_i2c_wr(ctx->cbus, CBUS_RESP_CTRL, (uint8_t)((tx->npackets << 1) | 1));
    return err;
}

// Back to idle after a lone ABORT or no reply: the next request starts on empty buffers
// and an empty FIFO.
void responder_done(MscContext* ctx) {
    msc_clear_responder(ctx);
    msc_reset_fifo(ctx, MSC_RESPONDER);
    ctx->sw_state = MSC_STATE_IDLE;
    ctx->expected_int = MSC_EXPECT_NONE;
}

// SET_INT 0x20 bits the source may raise, and what we do about them.
void on_set_int(MscContext* ctx, uint8_t value) {
    const char* func = "resp_verify_rx_and_reply";
    if (value & 0x01) {  // capabilities changed
        if (ctx->cap_read_idx == 0) {
            const uint8_t read0[] = {MSC_READ_DEVCAP, 0x00};
            msc_queue_request(ctx, func, false, read0, 2);
        } else {
            hddec_log("%s: cap_read_idx (%x) is not %x", func, ctx->cap_read_idx, 0);
        }
    }
    if (value & 0x04) {  // request to write
        const uint8_t grant[] = {MSC_WRITE_STAT, 0x20, 0x04};
        msc_queue_request(ctx, func, true, grant, 3);
    }
    if (value & 0x08) {  // write granted: a burst into the source's scratchpad, adopter id first
        MscPacket burst[19] = {{1, MSC_WRITE_BURST}, {0, SCRATCHPAD_FIRST}, {0, ctx->peer_regs[3]}, {0, ctx->peer_regs[4]}};
        const uint8_t payload[14] = {0xAB, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D};
        for (int i = 0; i < 14; ++i) burst[4 + i] = {0, payload[i]};
        burst[18] = {1, MSC_EOF};
        msc_queue_packets(ctx, func, false, burst, 19);
    }
}

int verify_write_stat(MscContext* ctx, const MscPacket* p) {
    if (p[1].control || p[2].control) return MSC_ERR_PROTOCOL;
    uint8_t offset = p[1].value, value = p[2].value;
    if (offset >= 0x30 && offset <= 0x31) {
        ctx->peer_regs[offset] = value;
    } else if (offset >= 0x20 && offset <= 0x21) {
        ctx->local_regs[offset] |= value;
        if (offset == 0x20) on_set_int(ctx, value);
    } else {
        return MSC_ERR_OFFSET;
    }
    reply_add(ctx, true, MSC_ACK);
    return 0;
}

int verify_write_burst(MscContext* ctx, const MscBuffer* rx) {
    int n = rx->npackets;
    const MscPacket* p = rx->packets;
    int err = 0;
    if (n < 5) {
        err = MSC_ERR_PROTOCOL;
    } else if (!p[n - 1].control) {
        err = MSC_ERR_PROTOCOL;
    } else if (p[n - 1].value != MSC_EOF) {
        err = MSC_ERR_OPCODE;
    } else {
        for (int i = 1; i < n - 1; ++i) {
            if (p[i].control) err = MSC_ERR_PROTOCOL;
        }
    }
    uint8_t offset = n > 1 ? p[1].value : 0;
    if (err == 0 && (offset < SCRATCHPAD_FIRST || offset + n - 6 > SCRATCHPAD_LAST)) err = MSC_ERR_OFFSET;
    if (err == 0 && (p[2].value != ctx->local_regs[3] || p[3].value != ctx->local_regs[4])) err = MSC_ERR_PROTOCOL;
    if (err != 0) {
        hddec_log("%s: received cmd 0x%x error (0x%x)", "resp_verify_rx_and_reply", MSC_WRITE_BURST, err);
        return err;
    }
    for (int i = 4; i < n - 1; ++i) ctx->local_regs[offset + i - 4] = p[i].value;
    reply_add(ctx, true, MSC_ACK);
    return 0;
}

void resp_verify_rx_and_reply(MscContext* ctx) {
    const MscBuffer* rx = &ctx->resp.rx_buf;
    assert(ctx->resp.tx_buf.npackets == 0 && "resp_tx_buf->npackets == 0");
    assert(rx->npackets <= ctx->resp.expected_rx_bytes && "resp_rx_buf->npackets <= resp_ctx->expected_rx_bytes");
    uint8_t cmd = ctx->resp.cmd;
    if (ctx->verbosity & MSC_VERBOSE_RESP) hddec_log("%s: resp rx cmd is %#x", __func__, cmd);
    const MscPacket* p = rx->packets;
    int err = 0;
    switch (cmd) {
        case MSC_WRITE_STAT: err = verify_write_stat(ctx, p); break;
        case MSC_READ_DEVCAP:
            if (p[1].control) {
                err = MSC_ERR_PROTOCOL;
            } else if (p[1].value >= MSC_NUM_CAPS) {
                err = MSC_ERR_OFFSET;
            } else {
                reply_add(ctx, true, MSC_ACK);
                reply_add(ctx, false, ctx->local_regs[p[1].value]);
                if (ctx->verbosity & (MSC_VERBOSE_RESP | MSC_VERBOSE_LINK)) {
                    hddec_log("%s: reply dev cap value %#x (idx %#x)", __func__, ctx->local_regs[p[1].value], p[1].value);
                }
            }
            break;
        case MSC_GET_STATE: reply_add(ctx, false, ctx->local_regs[0]); break;
        case MSC_GET_VENDOR_ID: reply_add(ctx, false, ctx->vendor_id); break;
        case MSC_GET_DDC_ERRORCODE: {
            uint8_t ddc = 0;
            adv748x_i2c_rd(ctx->cbus, CBUS_DDC_ERRORCODE, &ddc);
            reply_add(ctx, false, ddc);
            break;
        }
        case MSC_GET_MSC_ERRORCODE: reply_add(ctx, false, (uint8_t)ctx->error_code); break;
        case MSC_SET_HPD:
        case MSC_CLR_HPD: reply_add(ctx, true, MSC_ACK); break;
        case MSC_MSC_MSG:
            if (p[1].control || p[2].control) {
                err = MSC_ERR_PROTOCOL;
            } else {
                reply_add(ctx, true, msc_msg_subcmd_accepted(p[1].value) ? MSC_ACK : MSC_NACK);
            }
            break;
        case MSC_WRITE_BURST: err = verify_write_burst(ctx, rx); break;
        default:
            hddec_log("%s:invalid cmd 0x%x", __func__, cmd);
            responder_done(ctx);
            return;
    }
    if (err != 0) {
        ctx->error_code = err;
        ctx->resp.tx_buf.npackets = 0;
        reply_add(ctx, true, MSC_ABORT);
        send_reply(ctx);
        responder_done(ctx);
        return;
    }
    send_reply(ctx);
    ctx->expected_int = MSC_EXPECT_RESP_TX_DONE;
}

// A request that is complete is answered; otherwise the chip tells us when more arrived.
void continue_request(MscContext* ctx) {
    if (request_complete(ctx)) {
        resp_verify_rx_and_reply(ctx);
    } else if (ctx->resp.cmd == MSC_WRITE_BURST) {
        msc_set_int_enable(ctx, MSC_INT_RESP_PKT_RX, true);
        ctx->expected_int = MSC_EXPECT_RESP_PKT_RX;
    } else {
        adv748x_i2c_wr(ctx->cbus, CBUS_RESP_SIZE_MATCH, (uint8_t)(ctx->resp.expected_rx_bytes - 1));
        msc_set_int_enable(ctx, MSC_INT_RESP_SIZE_MATCH, true);
        ctx->expected_int = MSC_EXPECT_RESP_SIZE_MATCH;
    }
}

void reject_request(MscContext* ctx, int err) {
    const MscPacket first = ctx->resp.rx_buf.npackets > 0 ? ctx->resp.rx_buf.packets[0] : MscPacket{0, 0};
    adv748x_i2c_wr(ctx->cbus, CBUS_INT_CLEAR, 0xFF);
    adv748x_i2c_wr(ctx->cbus, CBUS_INT_CLEAR + 1, 0xFF);
    ctx->error_code = err;
    ctx->resp.tx_buf.npackets = 0;
    reply_add(ctx, true, MSC_ABORT);
    send_reply(ctx);
    if (ctx->verbosity & MSC_VERBOSE_RESP) {
        hddec_log("%s: invalid packet (type: %#x, value: %#x) received", "msc_resp_rx_func", first.control, first.value);
    }
    responder_done(ctx);
}

}  // namespace

void msc_process_resp_rx_int(MscContext* ctx) {
    msc_trace_entry(ctx, __func__);
    if (ctx->sw_state != MSC_STATE_IDLE) {
        log_unexpected(ctx, __func__);
        return;
    }
    if (ctx->req.tx_buf != nullptr) {
        if (ctx->verbosity & MSC_VERBOSE_REQ) hddec_log("%s: req tx is not done, prepare for resending", __func__);
        assert(ctx->expected_int == MSC_STATE_REQ_TX_INT || ctx->expected_int == MSC_STATE_REQ_RX_INT);
        req_prepare_for_resend(ctx);
    }
    ctx->sw_state = MSC_STATE_RESP_RX;
    uint8_t hw = 0;
    if (adv748x_i2c_rd(ctx->cbus, CBUS_HW_STATE, &hw) != 0) return;
    if ((hw & 0x07) != 1) {
        hddec_log("%s: MSC hardware is in %d state", "msc_resp_rx_func", hw & 0x07);
        return;
    }
    assert(ctx->resp.rx_buf.npackets == 0 && "resp_rx_buf->npackets == 0");
    msc_read_from_rxfifo(ctx, 1, &ctx->resp.rx_buf, MSC_RESPONDER);
    const MscBuffer* rx = &ctx->resp.rx_buf;
    const msc_cmd_info* info = rx->npackets == 1 && rx->packets[0].control ? msc_cmd(rx->packets[0].value) : nullptr;
    int err = rx->npackets != 1 || !rx->packets[0].control ? MSC_ERR_PROTOCOL
              : info == nullptr                            ? MSC_ERR_OPCODE
                                                           : info->request_error;
    if (err != 0) {
        reject_request(ctx, err);
        return;
    }
    ctx->resp.cmd = rx->packets[0].value;
    ctx->resp.expected_rx_bytes = info->request_len;
    if (!request_complete(ctx)) read_remaining(ctx, __func__);
    continue_request(ctx);
}

void msc_process_resp_pkt_rx_int(MscContext* ctx) {
    msc_trace_entry(ctx, __func__);
    if (ctx->sw_state != MSC_STATE_RESP_RX || ctx->expected_int != MSC_EXPECT_RESP_PKT_RX) {
        log_unexpected(ctx, __func__);
        return;
    }
    int count = read_remaining(ctx, __func__);
    if (request_complete(ctx)) {
        msc_set_int_enable(ctx, MSC_INT_RESP_PKT_RX, false);
        resp_verify_rx_and_reply(ctx);
    } else if (ctx->resp.rx_buf.npackets != count) {
        hddec_log("%s: resp_rx_buf->npackets(%d) != rx_bytes(%d), probably hardware io error", __func__,
                  ctx->resp.rx_buf.npackets, count);
    }
}

void msc_process_resp_size_match_int(MscContext* ctx) {
    msc_trace_entry(ctx, __func__);
    if (ctx->sw_state != MSC_STATE_RESP_RX || ctx->expected_int != MSC_EXPECT_RESP_SIZE_MATCH) {
        log_unexpected(ctx, __func__);
        return;
    }
    read_remaining(ctx, __func__);
    if (request_complete(ctx)) {
        msc_set_int_enable(ctx, MSC_INT_RESP_SIZE_MATCH, false);
        resp_verify_rx_and_reply(ctx);
    } else {
        hddec_log("%s: received bytes (%d) are less than expected (%d", __func__, ctx->resp.rx_buf.npackets,
                  ctx->resp.expected_rx_bytes);
    }
}

void msc_process_resp_tx_int(MscContext* ctx) {
    msc_trace_entry(ctx, __func__);
    if (ctx->sw_state != MSC_STATE_RESP_RX) {
        log_unexpected(ctx, __func__);
        return;
    }
    ctx->expected_int = MSC_EXPECT_IDLE;
    ctx->sw_state = MSC_STATE_RESP_TX;
}
