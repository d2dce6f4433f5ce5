#include "hddec_retry.h"

#include "hddec_log.h"

namespace {

constexpr long kSummaryEveryMs = 10000;

long ms_since(const timespec& then) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - then.tv_sec) * 1000 + (now.tv_nsec - then.tv_nsec) / 1000000;
}

}  // namespace

void hddec_retry_begin(hddec_retry* r) { hddec_log_hold(r->total > 0); }

long hddec_retry_end(hddec_retry* r, bool ok) {
    hddec_log_hold(false);
    if (ok) {
        if (r->total > 0) hddec_log("%s readable again after %u failed attempts", r->what, r->total);
        r->backoff.reset();
        r->failures = r->total = 0;
        return 0;
    }
    long pause = r->backoff.next();
    ++r->failures;
    if (r->total++ == 0) {
        hddec_log("%s unreadable, next attempt in %ld ms", r->what, pause);
        clock_gettime(CLOCK_MONOTONIC, &r->last_line);
        r->failures = 0;
    } else if (ms_since(r->last_line) >= kSummaryEveryMs) {
        hddec_log("%s still unreadable (%u failed attempts in %ld s)", r->what, r->failures,
                  ms_since(r->last_line) / 1000);
        clock_gettime(CLOCK_MONOTONIC, &r->last_line);
        r->failures = 0;
    }
    return pause;
}
