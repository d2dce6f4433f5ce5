// Request buffers: the free queue and the two send queues.
#include <time.h>

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

namespace {

uint64_t monotonic_ns() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint64_t)now.tv_sec * 1000000000ull + (uint64_t)now.tv_nsec;
}

bool head_ready(const MscQueue* q, uint64_t now) { return q->head != nullptr && q->head->not_before <= now; }

}  // namespace

uint64_t (*msc_now_ns)() = monotonic_ns;

MscQueue* msc_ready_queue(MscContext* ctx) {
    uint64_t now = msc_now_ns();
    if (head_ready(&ctx->highprio_q, now)) return &ctx->highprio_q;
    if (head_ready(&ctx->regular_q, now)) return &ctx->regular_q;
    return nullptr;
}

uint64_t msc_resend_wait_ns(MscContext* ctx) {
    if (msc_ready_queue(ctx) != nullptr) return 0;
    uint64_t now = msc_now_ns();
    uint64_t wait = 0;
    for (const MscQueue* q : {&ctx->highprio_q, &ctx->regular_q}) {
        if (q->head == nullptr) continue;
        uint64_t left = q->head->not_before - now;
        if (wait == 0 || left < wait) wait = left;
    }
    return wait;
}

void msc_free_buffer(MscContext* ctx, MscBuffer* buf) {
    buf->npackets = 0;
    buf->resends = 0;
    buf->not_before = 0;
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
