// Retrying a register read that keeps failing (a dead map under an interrupt line): a pause
// from 10 ms doubling up to 1 s between attempts, the first failure logged in full, then one
// summary line every 10 s with the count, and a line when the map answers again.
#pragma once

#include <time.h>

#include "hu/backoff.h"

struct hddec_retry {
    explicit hddec_retry(const char* what_) : what(what_) {}
    const char* what;  // what cannot be read, e.g. "hd_dec_thread: interrupt status"
    hu::Backoff backoff{10, 1000};
    unsigned failures = 0;  // since the last line
    unsigned total = 0;     // in this run of failures
    timespec last_line{};
};

// Before an attempt: the thread's lines are held back while a run of failures goes on.
void hddec_retry_begin(hddec_retry* r);
// After it: 0 when it went through (a recovery is logged), else the pause in ms to make
// before the next attempt.
long hddec_retry_end(hddec_retry* r, bool ok);
