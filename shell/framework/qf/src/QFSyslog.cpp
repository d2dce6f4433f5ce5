#include "qf/QFSyslog.h"

#include "hu/slog.h"

namespace QFSyslog {

void logMsg(int opcode, int severity, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vlogMsg(opcode, severity, fmt, args);
    va_end(args);
}

void vlogMsg(int opcode, int severity, const char* fmt, va_list args) { vslogf(opcode, severity, fmt, args); }

}  // namespace QFSyslog
