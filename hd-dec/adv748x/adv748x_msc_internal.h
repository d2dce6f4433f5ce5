// Shared inside the sideband engine: CBUS registers, interrupt bits, packet values,
// command tables and the engine's parts (FIFOs, queues, requester, responder, link).
#pragma once

#include <cstdint>

#include "adv748x_msc.h"

// CBUS registers.
#define CBUS_REQ_CTRL 0x00
#define CBUS_RESP_CTRL 0x01
#define CBUS_HW_STATE 0x02
#define CBUS_INT_STATUS 0x10
#define CBUS_INT_CLEAR 0x13
#define CBUS_INT_ENABLE 0x16
#define CBUS_DDC_ERRORCODE 0x1B
#define CBUS_DISC_CTRL 0x1C
#define CBUS_SEQ_STATE 0x28
#define CBUS_REQ_RX_COUNT 0x30
#define CBUS_RESP_RX_COUNT 0x32
#define CBUS_REQ_RX_EXPECT 0x34
#define CBUS_RESP_SIZE_MATCH 0x35
#define CBUS_FIFO_RESET 0xC0

// Interrupt status bits (CBUS 0x10 lowest byte).
#define MSC_INT_IDLE 0x1u
#define MSC_INT_RESP_RX 0x2u
#define MSC_INT_RESP_SIZE_MATCH 0x4u
#define MSC_INT_RESP_TX_DONE 0x8u
#define MSC_INT_REQ_TX 0x10u
#define MSC_INT_REQ_RX 0x20u
#define MSC_INT_ABORT 0x80u
#define MSC_INT_RESP_PKT_RX 0x8000u
#define MSC_INT_LINK 0x20000u

// Control packet values and commands.
#define MSC_EOF 0x32
#define MSC_ACK 0x33
#define MSC_NACK 0x34
#define MSC_ABORT 0x35
#define MSC_WRITE_STAT 0x60  // also SET_INT, by offset
#define MSC_READ_DEVCAP 0x61
#define MSC_GET_STATE 0x62
#define MSC_GET_VENDOR_ID 0x63
#define MSC_SET_HPD 0x64
#define MSC_CLR_HPD 0x65
#define MSC_MSC_MSG 0x68
#define MSC_GET_DDC_ERRORCODE 0x6A
#define MSC_GET_MSC_ERRORCODE 0x6B
#define MSC_WRITE_BURST 0x6C

// Error codes.
#define MSC_ERR_PROTOCOL 2
#define MSC_ERR_OPCODE 8
#define MSC_ERR_OFFSET 16

// Discovery flags.
#define MSC_DISC_SET_HPD_ACK 0x1u
#define MSC_DISC_WRITE_STAT_ACK 0x2u
#define MSC_DISC_CAPS_READ 0x4u

#define MSC_IDX_NONE 256
#define MSC_NUM_CAPS 16
#define MSC_MAX_TX_PACKETS 32

#define MSC_CMD_FIRST 0x60
#define MSC_CMD_LAST 0x6C

struct msc_cmd_info {
    uint8_t request_error;  // 0: accepted as a request, else the error it earns
    int request_len;        // what the responder expects (bursts: up to a buffer)
    int reply_len;          // what the requester expects back
};
// The command's row, or null outside 0x60-0x6C.
const msc_cmd_info* msc_cmd(uint8_t cmd);
bool msc_msg_subcmd_accepted(uint8_t subcmd);

// The context's initial state, without the engine thread.
void msc_context_setup(MscContext* ctx, int cbus, unsigned verbosity);
// One wake-up of the engine thread: the interrupt causes it latched (or a timed-out wait) are
// handled, then the next queued request goes out if the channel is free.
void msc_handle_wake(MscContext* ctx, uint32_t status, bool timed_out);
// Before the next wait: discovery moves on when the last wake-up may have raised its flags.
void msc_continue_discovery(MscContext* ctx, uint32_t status, bool timed_out);

// Trace lines at the start of every handler.
void msc_trace_entry(MscContext* ctx, const char* func);

// The engine's clock (monotonic ns); replaceable so a caller without threads can drive time.
extern uint64_t (*msc_now_ns)();
// The queue whose head may go out now (the high-priority one first), or null.
MscQueue* msc_ready_queue(MscContext* ctx);
// When nothing may go out now but a resent request waits for its pause: the ns until it
// may; else 0.
uint64_t msc_resend_wait_ns(MscContext* ctx);

// Queues and buffers.
MscBuffer* msc_queue_pop(MscQueue* q);
void msc_queue_push_back(MscQueue* q, MscBuffer* buf);
void msc_queue_push_front(MscQueue* q, MscBuffer* buf);
void msc_free_buffer(MscContext* ctx, MscBuffer* buf);
// Queues a request of n packets (first a control packet, the rest data) taken from the
// free queue; false when none is free.
bool msc_queue_request(MscContext* ctx, const char* func, bool highprio, const uint8_t* values, int n);
bool msc_queue_packets(MscContext* ctx, const char* func, bool highprio, const MscPacket* packets, int n);
// Every queued and in-flight request back to the free queue.
void msc_flush_requests(MscContext* ctx);

// FIFOs.
int msc_write_to_txfifo(MscContext* ctx, int block, const MscBuffer* buf);
int msc_read_from_rxfifo(MscContext* ctx, int num, MscBuffer* buf, int block);
void msc_reset_fifo(MscContext* ctx, int block);
void msc_reset_context(MscContext* ctx, int block);
void msc_clear_responder(MscContext* ctx);
void msc_set_int_enable(MscContext* ctx, uint32_t bit, bool on);

// Requester.
void msc_req_tx_func(MscContext* ctx);
void req_prepare_for_resend(MscContext* ctx);
void msc_process_req_tx_int(MscContext* ctx);
void msc_process_req_rx_int(MscContext* ctx);
void msc_process_idle_int(MscContext* ctx);
void msc_process_abort_int(MscContext* ctx);

// Responder.
void msc_process_resp_rx_int(MscContext* ctx);
void msc_process_resp_pkt_rx_int(MscContext* ctx);
void msc_process_resp_size_match_int(MscContext* ctx);
void msc_process_resp_tx_int(MscContext* ctx);

// Link and discovery.
void msc_process_link_int(MscContext* ctx);
void msc_link_discovery_func(MscContext* ctx);
