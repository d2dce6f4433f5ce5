// Context set-up, the engine thread with its status processing, and its stop.
#include "adv748x_msc.h"

#include <cerrno>
#include <cstring>

#include "adv748x_io.h"
#include "adv748x_msc_internal.h"
#include "hddec_log.h"
#include "hddec_retry.h"
#include "hu/backoff.h"
#include "hu/neutrino.h"
#include "hu/trace.h"

namespace {

const uint8_t kLocalCaps[MSC_NUM_CAPS] = {0x00, 0x11, 0x11, 0x89, 0x10, 0x3F, 0x03, 0x8F,
                                          0x41, 0x0F, 0x1F, 0x55, 0x66, 0x10, 0x11, 0x00};
#define MSC_VENDOR_ID 0x1D

const msc_cmd_info kCmds[MSC_CMD_LAST - MSC_CMD_FIRST + 1] = {
    {0, 3, 1},                       // 0x60 WRITE_STAT / SET_INT
    {0, 2, 2},                       // 0x61 READ_DEVCAP
    {0, 1, 1},                       // 0x62 GET_STATE
    {0, 1, 1},                       // 0x63 GET_VENDOR_ID
    {0, 1, 1},                       // 0x64 SET_HPD
    {0, 1, 1},                       // 0x65 CLR_HPD
    {MSC_ERR_OPCODE, 0, 0},          // 0x66
    {MSC_ERR_OPCODE, 0, 0},          // 0x67
    {0, 3, 1},                       // 0x68 MSC_MSG
    {MSC_ERR_OPCODE, 0, 0},          // 0x69
    {0, 1, 1},                       // 0x6A GET_DDC_ERRORCODE
    {0, 1, 1},                       // 0x6B GET_MSC_ERRORCODE
    {0, MSC_BUF_PACKETS, 1},         // 0x6C WRITE_BURST: ends with EOF
};

const uint8_t kMscMsgSubcmds[] = {0x02, 0x11, 0x12, 0x21, 0x31, 0x32};

#define WAIT_NS 320000000ull
#define WAIT_RESP_TX_NS 1000000000ull
#define TRACE_CODE 200

// Status bits in the order they are handled; a bit's handler runs when the bit is set and
// none of its `unless` bits is.
struct status_handler {
    uint32_t bit;
    uint32_t unless;
    void (*handler)(MscContext* ctx);
};
const status_handler kStatusHandlers[] = {
    {MSC_INT_LINK, 0, msc_process_link_int},
    {MSC_INT_ABORT, 0, msc_process_abort_int},
    {MSC_INT_IDLE, MSC_INT_ABORT, msc_process_idle_int},
    {MSC_INT_REQ_TX, MSC_INT_ABORT | MSC_INT_IDLE, msc_process_req_tx_int},
    {MSC_INT_REQ_RX, MSC_INT_ABORT | MSC_INT_IDLE, msc_process_req_rx_int},
    {MSC_INT_RESP_RX, MSC_INT_ABORT, msc_process_resp_rx_int},
    {MSC_INT_RESP_PKT_RX, MSC_INT_ABORT, msc_process_resp_pkt_rx_int},
    {MSC_INT_RESP_SIZE_MATCH, MSC_INT_ABORT, msc_process_resp_size_match_int},
    {MSC_INT_RESP_TX_DONE, MSC_INT_ABORT, msc_process_resp_tx_int},
};

// A wait that timed out ends the transaction that should have moved it on: our request
// goes out again, a half-received request of the source is dropped.
void recover_from_timeout(MscContext* ctx) {
    if (ctx->req.tx_buf != nullptr) {
        if (ctx->verbosity & MSC_VERBOSE_REQ) hddec_log("%s: no answer, prepare for resending", "msc_thread");
        req_prepare_for_resend(ctx);
    }
    if (ctx->sw_state == MSC_STATE_RESP_RX || ctx->sw_state == MSC_STATE_RESP_TX) {
        if (ctx->verbosity & MSC_VERBOSE_RESP) {
            hddec_log("%s: request 0x%x of the source not done in time (%d of %d packets), dropped", "msc_thread",
                      ctx->resp.cmd, ctx->resp.rx_buf.npackets, ctx->resp.expected_rx_bytes);
        }
        msc_set_int_enable(ctx, MSC_INT_RESP_SIZE_MATCH, false);
        msc_set_int_enable(ctx, MSC_INT_RESP_PKT_RX, false);
        msc_reset_context(ctx, MSC_RESPONDER);
        msc_reset_fifo(ctx, MSC_RESPONDER);
    }
}

bool queues_empty(const MscContext* ctx) { return ctx->highprio_q.head == nullptr && ctx->regular_q.head == nullptr; }

// Reads and clears the latched status; 0 when the chip cannot be read. Then the status
// stays latched and the line would fire again at once: it stays masked for a growing pause.
uint32_t take_status(MscContext* ctx, int id, hddec_retry* retry) {
    trace_logf(TRACE_CODE, "irq come");
    uint8_t s[3] = {};
    hddec_retry_begin(retry);
    bool read = adv748x_i2c_block_rd(ctx->cbus, CBUS_INT_STATUS, sizeof s, s) == 0;
    if (read) adv748x_i2c_block_wr(ctx->cbus, CBUS_INT_CLEAR, s, sizeof s);
    long pause = hddec_retry_end(retry, read);
    if (pause > 0) {
        pthread_setcancelstate(PTHREAD_CANCEL_ENABLE, nullptr);
        hu::sleepMs(pause);
        pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, nullptr);
    }
    trace_logf(TRACE_CODE, "unmask irq, 0x%x, 0x%x, 0x%x", s[0], s[1], s[2]);
    InterruptUnmask(MSC_INTR, id);
    uint32_t status = s[0] | (uint32_t)s[1] << 8 | (uint32_t)s[2] << 16;
    if (ctx->verbosity & MSC_VERBOSE_IRQ) hddec_log("irq_status: 0x%x", status);
    return status;
}

void* msc_thread(void* arg) {
    MscContext* ctx = static_cast<MscContext*>(arg);
    // Cancelled only while waiting: never in the middle of a transfer or a log line.
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, nullptr);
    sigevent event;
    SIGEV_INTR_INIT(&event);
    int id = InterruptAttachEvent(MSC_INTR, &event, _NTO_INTR_FLAGS_TRK_MSK);
    if (id < 0) {
        hddec_log("%s: InterruptAttachEvent failed (%s)\n", __func__, strerror(errno));
        return nullptr;
    }
    ctx->intr_id = id;  // detached by the stopper once this thread is gone
    uint32_t status = 0;
    bool timed_out = false;
    hddec_retry retry("msc_thread: interrupt status");
    for (;;) {
        uint64_t timeout = ctx->sw_state == MSC_STATE_RESP_TX ? WAIT_RESP_TX_NS : WAIT_NS;
        // Idle with a resent request waiting for its pause: wake up when it may go.
        uint64_t resend = ctx->sw_state == MSC_STATE_IDLE && ctx->req.tx_buf == nullptr ? msc_resend_wait_ns(ctx) : 0;
        if (resend != 0 && resend < timeout) timeout = resend;
        TimerTimeout(CLOCK_MONOTONIC, _NTO_TIMEOUT_INTR, nullptr, &timeout, nullptr);
        msc_continue_discovery(ctx, status, timed_out);

        pthread_setcancelstate(PTHREAD_CANCEL_ENABLE, nullptr);
        int woke = InterruptWait(0, nullptr);
        int err = errno;
        pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, nullptr);
        timed_out = woke != 0 && err == ETIMEDOUT;
        status = woke == 0 ? take_status(ctx, id, &retry) : 0;
        msc_handle_wake(ctx, status, timed_out);
    }
}

}  // namespace

const msc_cmd_info* msc_cmd(uint8_t cmd) {
    if (cmd < MSC_CMD_FIRST || cmd > MSC_CMD_LAST) return nullptr;
    return &kCmds[cmd - MSC_CMD_FIRST];
}

bool msc_msg_subcmd_accepted(uint8_t subcmd) {
    for (uint8_t s : kMscMsgSubcmds) {
        if (s == subcmd) return true;
    }
    return false;
}

void msc_trace_entry(MscContext* ctx, const char* func) {
    if (ctx->verbosity & MSC_VERBOSE_STATE) {
        hddec_log("%s: sw_state=%#x, expected_int=%#x", func, ctx->sw_state, ctx->expected_int);
    }
    if (ctx->verbosity & MSC_VERBOSE_HW_STATE) {
        uint8_t hw = 0;
        adv748x_i2c_rd(ctx->cbus, CBUS_HW_STATE, &hw);
        hddec_log("%s: hw_state=%#x", func, hw & 0x07);
    }
}

void msc_handle_wake(MscContext* ctx, uint32_t status, bool timed_out) {
    if (timed_out) recover_from_timeout(ctx);
    for (const status_handler& h : kStatusHandlers) {
        if ((status & h.bit) && !(status & h.unless)) h.handler(ctx);
    }
    if (ctx->sw_state == MSC_STATE_IDLE && ctx->req.tx_buf == nullptr && msc_ready_queue(ctx) != nullptr) {
        msc_req_tx_func(ctx);
    } else if (!queues_empty(ctx) && (ctx->verbosity & MSC_VERBOSE_REQ)) {
        hddec_log("sw_state=%d, req tx impossible", ctx->sw_state);
    }
}

void msc_continue_discovery(MscContext* ctx, uint32_t status, bool timed_out) {
    if ((status != 0 || timed_out) && ctx->disc_state >= 1 && ctx->disc_state <= 5) msc_link_discovery_func(ctx);
}

void msc_context_setup(MscContext* ctx, int cbus, unsigned verbosity) {
    memset(static_cast<void*>(ctx), 0, sizeof *ctx);
    memcpy(ctx->local_regs, kLocalCaps, sizeof kLocalCaps);
    ctx->vendor_id = MSC_VENDOR_ID;
    ctx->cbus = cbus;
    ctx->verbosity = verbosity;
    for (MscBuffer& buf : ctx->req_bufs) msc_queue_push_back(&ctx->free_q, &buf);
    ctx->sw_state = MSC_STATE_IDLE;
    ctx->expected_int = MSC_EXPECT_NONE;
    ctx->prop_idx = MSC_IDX_NONE;
    ctx->cap_read_idx = MSC_IDX_NONE;
    ctx->intr_id = -1;
}

int msc_context_init(MscContext* ctx, int cbus, unsigned verbosity) {
    msc_context_setup(ctx, cbus, verbosity);
    pthread_attr_t attr;
    sched_param param;
    int policy;
    pthread_getschedparam(pthread_self(), &policy, &param);
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_JOINABLE);
    pthread_attr_setinheritsched(&attr, PTHREAD_EXPLICIT_SCHED);
    pthread_attr_setschedpolicy(&attr, policy);
    pthread_attr_setschedparam(&attr, &param);
    int err = pthread_create(&ctx->thread, &attr, msc_thread, ctx);
    pthread_attr_destroy(&attr);
    if (err != 0) {
        hddec_log("%s: create_msc_thread failed:%s", __func__, strerror(err));
        return err;
    }
    ctx->thread_running = 1;
    return 0;
}

void msc_context_stop(MscContext* ctx) {
    if (!ctx->thread_running) return;
    pthread_cancel(ctx->thread);
    pthread_join(ctx->thread, nullptr);
    ctx->thread_running = 0;
    if (ctx->intr_id >= 0) InterruptDetach(ctx->intr_id);
    ctx->intr_id = -1;
}
