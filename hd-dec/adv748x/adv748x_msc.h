// The MHL sideband channel (MSC) engine: runs the receiver side of the channel on the
// chip's CBUS FIFOs in its own thread, woken by the chip's second interrupt line.
#pragma once

#include <pthread.h>

#include <cstdint>

#define MSC_INTR 1234

// Packets and buffers.
#define MSC_BUF_PACKETS 24
#define MSC_NUM_REQ_BUFS 8

struct MscPacket {
    uint32_t control;  // 1 control packet, 0 data packet
    uint8_t value;
};

struct MscBuffer {
    MscPacket packets[MSC_BUF_PACKETS];
    int npackets;
    MscBuffer* next;
    int resends;           // a request's resends so far
    uint64_t not_before;   // a resent request waits until then (monotonic ns)
};

// A refused request goes again after a pause from 10 ms doubling up to 320 ms, at most 8
// times; then it is given up.
#define MSC_RESEND_FIRST_MS 10
#define MSC_RESEND_MAX_MS 320
#define MSC_MAX_RESENDS 8

struct MscQueue {
    MscBuffer* head;
    MscBuffer* tail;
};

enum msc_sw_state {
    MSC_STATE_IDLE = 0,
    MSC_STATE_RESP_RX = 1,
    MSC_STATE_RESP_TX = 2,
    MSC_STATE_REQ_TX = 3,
    MSC_STATE_REQ_RX = 4,
};

// The interrupt the engine waits for next.
enum msc_expected_int {
    MSC_EXPECT_IDLE = 0,
    MSC_EXPECT_RESP_SIZE_MATCH = 2,
    MSC_EXPECT_RESP_TX_DONE = 3,
    MSC_STATE_REQ_TX_INT = 4,
    MSC_STATE_REQ_RX_INT = 5,
    MSC_EXPECT_RESP_PKT_RX = 15,
    MSC_EXPECT_NONE = 255,
};

enum msc_block { MSC_REQUESTER = 0, MSC_RESPONDER = 1 };

struct MscRequester {
    MscBuffer* tx_buf;  // the request in flight, or none
    uint8_t cmd;
    int expected_rx_bytes;
    MscBuffer rx_buf;
};

struct MscResponder {
    uint8_t cmd;
    int expected_rx_bytes;
    MscBuffer rx_buf;
    MscBuffer tx_buf;
};

struct MscContext {
    uint8_t vendor_id;
    uint8_t local_regs[256];
    uint8_t peer_regs[256];
    int cbus;
    unsigned verbosity;
    pthread_t thread;
    int thread_running;
    int intr_id;  // the engine thread's interrupt attachment, -1 when none
    int sw_state;
    int expected_int;
    int error_code;
    MscRequester req;
    MscResponder resp;
    MscBuffer req_bufs[MSC_NUM_REQ_BUFS];
    MscQueue free_q;
    MscQueue regular_q;
    MscQueue highprio_q;
    int disc_state;
    unsigned disc_flags;
    int prop_idx;
    int cap_read_idx;
};

// Verbosity bits of the engine.
#define MSC_VERBOSE_IRQ 0x4u
#define MSC_VERBOSE_LINK 0x8u
#define MSC_VERBOSE_FIFO 0x10u
#define MSC_VERBOSE_STATE 0x20u
#define MSC_VERBOSE_HW_STATE 0x40u
#define MSC_VERBOSE_QUEUE 0x80u
#define MSC_VERBOSE_REQ 0x100u
#define MSC_VERBOSE_RESP 0x200u

// Sets the context up and starts the engine thread; 0 or the errno of the failed start.
int msc_context_init(MscContext* ctx, int cbus, unsigned verbosity);
// Cancels and joins the engine thread when it runs.
void msc_context_stop(MscContext* ctx);
