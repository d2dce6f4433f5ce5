// The link: connection and loss as the chip's sequencer reports them, and discovery.
#include <cassert>

#include "adv748x_io.h"
#include "adv748x_msc_internal.h"
#include "adv748x_regseq.h"
#include "hddec_log.h"

namespace {

#define DISC_IDLE 0
#define DISC_DONE 6

void queue_write_stat(MscContext* ctx, bool highprio, uint8_t offset, uint8_t value) {
    const uint8_t request[] = {MSC_WRITE_STAT, offset, value};
    msc_queue_request(ctx, "msc_link_discovery_func", highprio, request, 3);
}

// True (and the flag consumed) when the step's flag has been raised.
bool take_flag(MscContext* ctx, unsigned flag) {
    if (!(ctx->disc_flags & flag)) return false;
    ctx->disc_flags &= ~flag;
    return true;
}

// A new link, or none: whatever was queued or in flight belonged to the old one.
void start_over(MscContext* ctx) {
    msc_flush_requests(ctx);
    msc_reset_context(ctx, MSC_REQUESTER);
    msc_reset_context(ctx, MSC_RESPONDER);
}

void link_connected(MscContext* ctx) {
    start_over(ctx);
    adv748x_modify(ctx->cbus, CBUS_DISC_CTRL, 0xF8, 0x0B);
    ctx->local_regs[0x31] = (uint8_t)((ctx->local_regs[0x31] & 0xF0) | 0x0B);
    ctx->local_regs[0x30] |= 0x01;
    ctx->prop_idx = 0x30;
    ctx->cap_read_idx = 0;
    ctx->disc_state = 1;
    ctx->disc_flags = 0;
    msc_link_discovery_func(ctx);
}

void link_lost(MscContext* ctx) {
    adv748x_modify(ctx->cbus, CBUS_DISC_CTRL, (uint8_t)~0x08, 0x00);
    ctx->cap_read_idx = MSC_IDX_NONE;
    ctx->local_regs[0x30] &= (uint8_t)~0x01;
    ctx->local_regs[0x31] &= 0xF0;
    ctx->prop_idx = MSC_IDX_NONE;
    start_over(ctx);
    msc_reset_fifo(ctx, MSC_REQUESTER);
    msc_reset_fifo(ctx, MSC_RESPONDER);
    ctx->disc_state = DISC_IDLE;
    ctx->disc_flags = 0;
}

bool discovering(const MscContext* ctx) { return ctx->disc_state >= 1 && ctx->disc_state <= 5; }

}  // namespace

void msc_process_link_int(MscContext* ctx) {
    msc_trace_entry(ctx, __func__);
    uint8_t seq = 0;
    if (adv748x_i2c_rd(ctx->cbus, CBUS_SEQ_STATE, &seq) != 0) return;
    if (ctx->verbosity & MSC_VERBOSE_LINK) hddec_log("%s: seq st %#x", __func__, seq >> 5);
    int8_t state = (int8_t)seq;
    if (state >= 0x40 && state <= 0x5F) {
        link_connected(ctx);
    } else if (state < 0x40) {
        link_lost(ctx);
    } else if (discovering(ctx)) {
        msc_link_discovery_func(ctx);
    }
}

void msc_link_discovery_func(MscContext* ctx) {
    switch (ctx->disc_state) {
        case 1: {
            const uint8_t set_hpd[] = {MSC_SET_HPD};
            msc_queue_request(ctx, __func__, false, set_hpd, 1);
            ctx->disc_state = 2;
            break;
        }
        case 2:
            if (!take_flag(ctx, MSC_DISC_SET_HPD_ACK)) break;
            if (ctx->prop_idx != 0x30) hddec_log("%s: prop_idx (%d) is not %d", __func__, ctx->prop_idx, 0x30);
            queue_write_stat(ctx, false, 0x30, ctx->local_regs[0x30]);
            ctx->prop_idx = 0x31;
            ctx->disc_state = 3;
            break;
        case 3:
            if (!take_flag(ctx, MSC_DISC_WRITE_STAT_ACK)) break;
            if (ctx->prop_idx == 0x30 || ctx->prop_idx == 0x31) {
                queue_write_stat(ctx, false, (uint8_t)ctx->prop_idx, ctx->local_regs[ctx->prop_idx]);
                ctx->prop_idx++;
            } else {
                ctx->prop_idx = 0x20;
                queue_write_stat(ctx, true, 0x20, 0x01);  // our capabilities changed
                ctx->disc_state = 4;
            }
            break;
        case 4:
            if (!take_flag(ctx, MSC_DISC_WRITE_STAT_ACK)) break;
            ctx->prop_idx = MSC_IDX_NONE;
            ctx->disc_state = 5;
            break;
        case 5:
            if (take_flag(ctx, MSC_DISC_CAPS_READ)) ctx->disc_state = DISC_DONE;
            break;
        default: assert(0 && "unexpected discovery state");
    }
    if (ctx->verbosity & MSC_VERBOSE_LINK) hddec_log("%s: disc st %#x", __func__, ctx->disc_state);
}
