// Driver messages: prefixed "hd-dec:", sent to the system logger and printed on stderr.
#pragma once

void hddec_log(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
