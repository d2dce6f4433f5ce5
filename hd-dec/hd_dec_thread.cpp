// "hd_dec_thread": waits for the chip interrupt, lets the backend decode it, and tells the
// clients armed for out-of-band data that events are waiting.
#include <cerrno>
#include <cstring>

#include "hd_dec.h"
#include "hddec_log.h"
#include "hddec_retry.h"
#include "hu/backoff.h"
#include "hu/neutrino.h"

namespace {

void notify_clients(HdDecProcess* hd) {
    if (!hd_dec_events_pending(hd)) return;
    hd->notify_cond.fetch_or(_NOTIFY_COND_OBAND);
    if (hd->notify[IOFUNC_NOTIFY_OBAND].cnt.load() <= 1) iofunc_notify_trigger(hd->notify, 1, IOFUNC_NOTIFY_OBAND);
}

void* hd_dec_thread(void* arg) {
    auto* hd = static_cast<HdDecProcess*>(arg);
    pthread_setname_np(pthread_self(), "hd_dec_thread");
    HdDecBackend* backend = &hd->backend;

    sigevent event;
    SIGEV_INTR_INIT(&event);
    // Not cancelled between attaching and keeping the id: the stopper detaches by it.
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, nullptr);
    backend->intr_id = InterruptAttachEvent(backend->intr, &event, _NTO_INTR_FLAGS_TRK_MSK);
    int attach_errno = errno;
    pthread_setcancelstate(PTHREAD_CANCEL_ENABLE, nullptr);
    if (backend->intr_id == -1) {
        hddec_log("%s: InterruptAttachEvent failed (%s)\n", "hd_dec_thread", strerror(attach_errno));
        return nullptr;
    }
    // A status that cannot be read stays latched and the level-triggered line fires again at
    // once: the line stays masked for a growing pause before the next attempt.
    hddec_retry retry("hd_dec_thread: interrupt status");
    for (;;) {
        if (InterruptWait(0, nullptr) == 0) {
            hddec_retry_begin(&retry);
            int err = backend->irq != nullptr ? backend->irq(backend) : 0;
            long pause = hddec_retry_end(&retry, err == 0);
            notify_clients(hd);
            if (pause > 0) hu::sleepMs(pause);
            InterruptUnmask(backend->intr, backend->intr_id);
            continue;
        }
        notify_clients(hd);
    }
    return nullptr;
}

}  // namespace

int create_hd_dec_thread(HdDecProcess* hd) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_JOINABLE);
    int policy = 0;
    sched_param param{};
    pthread_getschedparam(pthread_self(), &policy, &param);
    pthread_attr_setinheritsched(&attr, PTHREAD_EXPLICIT_SCHED);
    pthread_attr_setschedpolicy(&attr, policy);
    pthread_attr_setschedparam(&attr, &param);
    int err = pthread_create(&hd->thread, &attr, hd_dec_thread, hd);
    pthread_attr_destroy(&attr);
    hd->thread_running = err == 0;
    return err;
}

void stop_hd_dec_thread(HdDecProcess* hd) {
    if (!hd->thread_running) return;
    pthread_cancel(hd->thread);
    pthread_join(hd->thread, nullptr);
    hd->thread_running = false;
    // Its interrupt socket goes with it.
    if (hd->backend.intr_id >= 0) InterruptDetach(hd->backend.intr_id);
    hd->backend.intr_id = -1;
}
