// Request buffers: the free queue and the two send queues.
#include <cassert>
#include <initializer_list>

#include "adv748x_msc_internal.h"
#include "hddec_log.h"

MscBuffer* msc_queue_pop(MscQueue* q) {
    MscBuffer* buf = q->head;
    if (buf == nullptr) return nullptr;
    q->head = buf->next;
    if (q->head == nullptr) q->tail = nullptr;
    buf->next = nullptr;
    return buf;
}

void msc_queue_push_back(MscQueue* q, MscBuffer* buf) {
    buf->next = nullptr;
    if (q->tail != nullptr) {
        q->tail->next = buf;
    } else {
        q->head = buf;
    }
    q->tail = buf;
}

void msc_queue_push_front(MscQueue* q, MscBuffer* buf) {
    buf->next = q->head;
    q->head = buf;
    if (q->tail == nullptr) q->tail = buf;
}

void msc_free_buffer(MscContext* ctx, MscBuffer* buf) {
    buf->npackets = 0;
    msc_queue_push_back(&ctx->free_q, buf);
}

bool msc_queue_packets(MscContext* ctx, const char* func, bool highprio, const MscPacket* packets, int n) {
    MscBuffer* buf = msc_queue_pop(&ctx->free_q);
    if (buf == nullptr) {
        hddec_log("%s: free queue is empty", func);
        return false;
    }
    assert(buf->npackets == 0);
    for (int i = 0; i < n && i < MSC_BUF_PACKETS; ++i) buf->packets[buf->npackets++] = packets[i];
    msc_queue_push_back(highprio ? &ctx->highprio_q : &ctx->regular_q, buf);
    if (ctx->verbosity & MSC_VERBOSE_QUEUE) {
        hddec_log(highprio ? "%s: new pkt (cmd %#x) into highprio q" : "%s: new pkt (cmd %#x) into regular q", func,
                  packets[0].value);
    }
    return true;
}

bool msc_queue_request(MscContext* ctx, const char* func, bool highprio, const uint8_t* values, int n) {
    MscPacket packets[MSC_BUF_PACKETS];
    for (int i = 0; i < n && i < MSC_BUF_PACKETS; ++i) packets[i] = {i == 0 ? 1u : 0u, values[i]};
    return msc_queue_packets(ctx, func, highprio, packets, n);
}

void msc_flush_requests(MscContext* ctx) {
    if (ctx->req.tx_buf != nullptr) {
        msc_free_buffer(ctx, ctx->req.tx_buf);
        ctx->req.tx_buf = nullptr;
    }
    for (MscQueue* q : {&ctx->regular_q, &ctx->highprio_q}) {
        while (MscBuffer* buf = msc_queue_pop(q)) msc_free_buffer(ctx, buf);
    }
}
