// The requester: our requests out through the requester FIFO, their replies back.
#include <cassert>

#include "adv748x_io.h"
#include "adv748x_msc_internal.h"
#include "hddec_log.h"

namespace {

bool is_req_tx_valid(const MscBuffer* buf) {
    int n = buf->npackets;
    if (n < 1 || n > MSC_MAX_TX_PACKETS) {
        hddec_log("%s: Invalid number of packets: %d", __func__, n);
        return false;
    }
    const MscPacket* p = buf->packets;
    if (!p[0].control) return false;
    switch (p[0].value) {
        case MSC_WRITE_STAT:
            return n == 3 && !p[1].control && !p[2].control &&
                   ((p[1].value >= 0x20 && p[1].value <= 0x21) || (p[1].value >= 0x30 && p[1].value <= 0x31));
        case MSC_READ_DEVCAP: return n == 2 && p[1].value < MSC_NUM_CAPS;
        case MSC_GET_STATE:
        case MSC_GET_VENDOR_ID:
        case MSC_SET_HPD:
        case MSC_CLR_HPD:
        case MSC_GET_DDC_ERRORCODE:
        case MSC_GET_MSC_ERRORCODE: return n == 1;
        case MSC_MSC_MSG:
            if (n != 3) return false;
            if (!msc_msg_subcmd_accepted(p[1].value)) {
                hddec_log("%s: subcmd %#x is not supported", __func__, p[1].value);
                return false;
            }
            return true;
        case MSC_WRITE_BURST: return n >= 5 && n <= 19;
        default: hddec_log("%s: Unsupported cmd 0x%x", __func__, p[0].value); return false;
    }
}

bool is_set_int(const MscBuffer* buf) {
    return buf->packets[0].value == MSC_WRITE_STAT && buf->npackets > 1 &&
           (buf->packets[1].value == 0x20 || buf->packets[1].value == 0x21);
}

void reset_requester(MscContext* ctx) {
    msc_reset_context(ctx, MSC_REQUESTER);
    msc_reset_fifo(ctx, MSC_REQUESTER);
}

// Both return whether the request goes out again.
bool req_done(MscContext* ctx) {
    msc_free_buffer(ctx, ctx->req.tx_buf);
    ctx->req.tx_buf = nullptr;
    ctx->error_code = 0;
    return false;
}

bool req_fail(MscContext* ctx, int error) {
    ctx->error_code = error;
    req_prepare_for_resend(ctx);
    return true;
}

bool is_ack(const MscPacket& p) { return p.control && p.value == MSC_ACK; }

// Not an ACK: a wrong opcode (control) or a protocol error (data).
bool fail_not_ack(MscContext* ctx, const MscPacket& p) {
    return req_fail(ctx, p.control ? MSC_ERR_OPCODE : MSC_ERR_PROTOCOL);
}

bool verify_devcap_reply(MscContext* ctx, const MscBuffer* rx) {
    if (!is_ack(rx->packets[0])) return fail_not_ack(ctx, rx->packets[0]);
    if (rx->npackets < 2 || rx->packets[1].control) return req_fail(ctx, MSC_ERR_PROTOCOL);
    uint8_t offset = ctx->req.tx_buf->packets[1].value;
    uint8_t value = rx->packets[1].value;
    ctx->peer_regs[offset] = value;
    if (ctx->verbosity & (MSC_VERBOSE_REQ | MSC_VERBOSE_LINK)) {
        hddec_log("%s: req receives dev cap value %#x (idx %#x)", "req_verify_rx", value, offset);
    }
    req_done(ctx);  // first, so its buffer is free for the next read
    if (ctx->cap_read_idx < MSC_NUM_CAPS && ++ctx->cap_read_idx == MSC_NUM_CAPS) {
        ctx->cap_read_idx = MSC_IDX_NONE;
        ctx->disc_flags |= MSC_DISC_CAPS_READ;
    } else if (ctx->cap_read_idx < MSC_NUM_CAPS) {
        uint8_t next[] = {MSC_READ_DEVCAP, (uint8_t)ctx->cap_read_idx};
        msc_queue_request(ctx, "req_verify_rx", false, next, 2);
    }
    return false;
}

bool req_verify_rx(MscContext* ctx) {
    const MscBuffer* rx = &ctx->req.rx_buf;
    uint8_t cmd = ctx->req.cmd;
    if (ctx->verbosity & MSC_VERBOSE_REQ) hddec_log("%s: req_tx_cmd =%#x", __func__, cmd);
    const MscPacket& first = rx->packets[0];
    switch (cmd) {
        case MSC_WRITE_STAT:
            if (!is_ack(first)) return fail_not_ack(ctx, first);
            // The capabilities-read flag stays: discovery may not have consumed it yet.
            ctx->disc_flags = (ctx->disc_flags & MSC_DISC_CAPS_READ) | MSC_DISC_WRITE_STAT_ACK;
            if (ctx->verbosity & MSC_VERBOSE_REQ) hddec_log("%s: received ack for command 0x%x", __func__, cmd);
            return req_done(ctx);
        case MSC_READ_DEVCAP: return verify_devcap_reply(ctx, rx);
        case MSC_GET_STATE:
        case MSC_GET_VENDOR_ID:
        case MSC_GET_DDC_ERRORCODE:
        case MSC_GET_MSC_ERRORCODE: return first.control ? req_fail(ctx, MSC_ERR_PROTOCOL) : req_done(ctx);
        case MSC_SET_HPD:
            ctx->disc_flags |= MSC_DISC_SET_HPD_ACK;
            [[fallthrough]];
        case MSC_CLR_HPD:
        case MSC_MSC_MSG:
        case MSC_WRITE_BURST: return is_ack(first) ? req_done(ctx) : fail_not_ack(ctx, first);
        default: hddec_log("%s: Invalid tx command 0x%x", __func__, cmd); return req_done(ctx);
    }
}

}  // namespace

// A source that refuses every request must not be asked a thousand times a second, nor for
// ever: the request waits a growing pause before it goes again, and is given up after the
// last resend. The other queue is served meanwhile.
void req_prepare_for_resend(MscContext* ctx) {
    MscBuffer* buf = ctx->req.tx_buf;
    assert(buf != nullptr && "req_tx_buf != NULL");
    assert(buf->npackets > 0 && "tx_buf->npackets > 0");
    ctx->req.tx_buf = nullptr;
    if (buf->resends >= MSC_MAX_RESENDS) {
        hddec_log("%s: request 0x%x given up after %d attempts", __func__, buf->packets[0].value, buf->resends + 1);
        msc_free_buffer(ctx, buf);
    } else {
        uint64_t pause_ms = (uint64_t)MSC_RESEND_FIRST_MS << buf->resends;
        if (pause_ms > MSC_RESEND_MAX_MS) pause_ms = MSC_RESEND_MAX_MS;
        buf->resends++;
        buf->not_before = msc_now_ns() + pause_ms * 1000000ull;
        bool highprio = is_set_int(buf) || buf->packets[0].value == MSC_MSC_MSG;
        msc_queue_push_front(highprio ? &ctx->highprio_q : &ctx->regular_q, buf);
    }
    reset_requester(ctx);
}

void msc_req_tx_func(MscContext* ctx) {
    msc_trace_entry(ctx, __func__);
    assert((ctx->highprio_q.head != nullptr || ctx->regular_q.head != nullptr) && "0 && \"both queues are empty\"");
    MscQueue* ready = msc_ready_queue(ctx);
    if (ready == nullptr) return;  // a resent request still waits for its pause
    MscBuffer* buf = msc_queue_pop(ready);
    if (!is_req_tx_valid(buf)) {
        msc_free_buffer(ctx, buf);
        return;
    }
    const msc_cmd_info* info = msc_cmd(buf->packets[0].value);
    ctx->req.tx_buf = buf;
    ctx->req.cmd = buf->packets[0].value;
    ctx->req.expected_rx_bytes = info->reply_len;
    int err = msc_write_to_txfifo(ctx, MSC_REQUESTER, buf);
    if (err == 0) err = adv748x_i2c_wr(ctx->cbus, CBUS_REQ_RX_EXPECT, (uint8_t)info->reply_len);
    if (err == 0) err = adv748x_i2c_wr(ctx->cbus, CBUS_REQ_CTRL, (uint8_t)((buf->npackets << 1) | 1));
    if (err != 0) {
        req_prepare_for_resend(ctx);
        if (ctx->verbosity & MSC_VERBOSE_REQ) hddec_log("%s: REQ tx aborted", __func__);
        return;
    }
    ctx->expected_int = MSC_STATE_REQ_TX_INT;
    if (ctx->verbosity & MSC_VERBOSE_REQ) hddec_log("%s: REQ tx starts", __func__);
}

void msc_process_req_tx_int(MscContext* ctx) {
    msc_trace_entry(ctx, __func__);
    if (ctx->sw_state == MSC_STATE_IDLE && ctx->expected_int == MSC_STATE_REQ_TX_INT) {
        ctx->sw_state = MSC_STATE_REQ_TX;
        ctx->expected_int = MSC_STATE_REQ_RX_INT;
        return;
    }
    hddec_log("%s: REQ_TX_INT is unexpected, as we are in state %d, expecting interrupt %d:", __func__, ctx->sw_state,
              ctx->expected_int);
}

void msc_process_req_rx_int(MscContext* ctx) {
    msc_trace_entry(ctx, __func__);
    if (ctx->sw_state == MSC_STATE_REQ_TX) {
        ctx->sw_state = MSC_STATE_REQ_RX;
        ctx->expected_int = MSC_EXPECT_IDLE;
        return;
    }
    hddec_log("%s: REQ_RX_INT is unexpected, as we are in state %d, expecting interrupt %d:", __func__, ctx->sw_state,
              ctx->expected_int);
}

void msc_process_idle_int(MscContext* ctx) {
    msc_trace_entry(ctx, __func__);
    switch (ctx->sw_state) {
        case MSC_STATE_IDLE:
            if (ctx->expected_int != MSC_STATE_REQ_TX_INT) return;
            [[fallthrough]];
        case MSC_STATE_REQ_TX:
        case MSC_STATE_REQ_RX: {
            assert(ctx->req.tx_buf != nullptr && "tx_buf != NULL");
            assert(ctx->req.rx_buf.npackets == 0 && "req_rx_buf->npackets == 0");
            msc_read_from_rxfifo(ctx, 0, &ctx->req.rx_buf, MSC_REQUESTER);
            int got = ctx->req.rx_buf.npackets;
            if (got == 0 || got != ctx->req.expected_rx_bytes) {
                hddec_log("%s: req rx len %d, expect %d", __func__, got, ctx->req.expected_rx_bytes);
                req_prepare_for_resend(ctx);  // no usable answer: ask again
                return;
            }
            // A resend has reset the requester already.
            if (!req_verify_rx(ctx)) reset_requester(ctx);
            return;
        }
        case MSC_STATE_RESP_RX:
        case MSC_STATE_RESP_TX:
            msc_reset_context(ctx, MSC_RESPONDER);
            msc_reset_fifo(ctx, MSC_RESPONDER);
            return;
        default: hddec_log("%s, unexpected sw state 0x%x", __func__, ctx->sw_state);
    }
}

void msc_process_abort_int(MscContext* ctx) {
    msc_trace_entry(ctx, __func__);
    switch (ctx->expected_int) {
        case MSC_STATE_REQ_TX_INT:
            assert(ctx->sw_state == MSC_STATE_IDLE);
            req_prepare_for_resend(ctx);
            break;
        case MSC_STATE_REQ_RX_INT:
            assert(ctx->sw_state == MSC_STATE_REQ_TX);
            req_prepare_for_resend(ctx);
            break;
        case MSC_EXPECT_IDLE:
            assert(ctx->sw_state == MSC_STATE_REQ_RX || ctx->sw_state == MSC_STATE_RESP_TX);
            if (ctx->sw_state == MSC_STATE_REQ_RX) {
                // The reply was cut off: asked again, or discovery would wait for it for ever.
                req_prepare_for_resend(ctx);
            } else {
                msc_reset_context(ctx, MSC_RESPONDER);
                msc_reset_fifo(ctx, MSC_RESPONDER);
            }
            break;
        default: hddec_log("%s: expected_int is %d", __func__, ctx->expected_int);
    }
    const uint8_t clear_all[] = {0xFF, 0xFF, 0x03};
    for (int i = 0; i < 3; ++i) adv748x_i2c_wr(ctx->cbus, (uint8_t)(CBUS_INT_CLEAR + i), clear_all[i]);
}
