// iocprotocheck: tells start-up scripts which IPC protocol version the V850 I/O controller
// speaks, as text and as the exit status.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "hu/slog.h"
#include "hu/usage.h"
#include "ioc_boot_info.h"

HU_USAGE("%C - Check IPC Protocol Version used by V850.\n"
         "\n"
         "Exit status 0 means Initial IPC.\n"
         "Exit status 1 means Block IPC on Jacinto.\n"
         "Exit status 2 means Block IPC on Jacinto & OMAP.\n"
         "Exit status 3 indicates an error.\n");

namespace {

const char* const kProtocolNames[] = {
    "IPC Version 0: Initial IPC",
    "IPC Version 1: Block IPC on Jacinto",
    "IPC Version 2: Block IPC on Jacinto and OMAP",
    "<UNKNOWN>",
};
constexpr int kExitError = 3;

// One line to the system log and, with a newline, to stream.
__attribute__((format(printf, 3, 4))) void report(int severity, FILE* stream, const char* fmt, ...) {
    char text[kSlogMaxText + 1];
    va_list args;
    va_start(args, fmt);
    vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    slogf(kIocLogOpcode, severity, "%s", text);
    fprintf(stream, "%s\n", text);
}

}  // namespace

int main() {
    IocBootInfo info{};
    int result = ioc_boot_info(&info);
    if (result != 0) {
        errno = result;
        report(_SLOG_ERROR, stderr, "iocprotocheck: Failed to read IOC Boot Info: %s (%d)!", strerror(errno), errno);
        return kExitError;
    }
    int version = ioc_boot_info_ipc_protocol_version(&info);
    report(_SLOG_INFO, stdout, "iocprotocheck: %s (%d)", kProtocolNames[version & 3], version);
    return version & 3;
}
