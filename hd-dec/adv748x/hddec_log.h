// Driver messages: prefixed "hd-dec:", sent to the system logger and printed on stderr.
#pragma once

void hddec_log(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// While held, the calling thread's messages are dropped: a thread retrying a dead register
// map reports the run of failures itself instead of one line per failed access.
void hddec_log_hold(bool held);
