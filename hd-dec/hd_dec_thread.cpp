// "hd_dec_thread": waits for the chip interrupt, lets the backend decode it, and tells the
// clients armed for out-of-band data that events are waiting.
#include <cerrno>
#include <cstring>

#include "hd_dec.h"
#include "hddec_log.h"
#include "hu/neutrino.h"

namespace {

void notify_clients(HdDecProcess* hd) {
    if (hd->backend.devices[0].events.load() == 0) return;
    hd->notify_cond.fetch_or(_NOTIFY_COND_OBAND);
    if (hd->notify[IOFUNC_NOTIFY_OBAND].cnt.load() <= 1) iofunc_notify_trigger(hd->notify, 1, IOFUNC_NOTIFY_OBAND);
}

void* hd_dec_thread(void* arg) {
    auto* hd = static_cast<HdDecProcess*>(arg);
    pthread_setname_np(pthread_self(), "hd_dec_thread");
    HdDecBackend* backend = &hd->backend;

    sigevent event;
    SIGEV_INTR_INIT(&event);
    backend->intr_id = InterruptAttachEvent(backend->intr, &event, _NTO_INTR_FLAGS_TRK_MSK);
    if (backend->intr_id == -1) {
        hddec_log("%s: InterruptAttachEvent failed (%s)\n", "hd_dec_thread", strerror(errno));
        return nullptr;
    }
    for (;;) {
        if (InterruptWait(0, nullptr) == 0) {
            if (backend->irq != nullptr) backend->irq(backend);
            InterruptUnmask(backend->intr, backend->intr_id);
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
}
