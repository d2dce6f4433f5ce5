#include "DorerClientLog.h"

#include <cstdarg>
#include <cstdio>

#include "qf/QFApplication.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings_client_config_CzoqDorerClientConfigImpl");

void send(bool isError, const char* fmt, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, fmt, args);
    const CQFString program = QFCommandLineOptions::getARG(0);
    const CQFTraceScope trace(kScope, "log");
    if (isError) {
        trace.sendFormattedError("%s : %s", program.getCString(), text);
    } else {
        trace.sendFormattedMessage("%s : %s", program.getCString(), text);
    }
}

}  // namespace

namespace NDorerClientLog {

void debug(const char* fmt, ...) {
    if (!kScope.isEnabled()) return;
    va_list args;
    va_start(args, fmt);
    send(false, fmt, args);
    va_end(args);
}

void error(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    send(true, fmt, args);
    va_end(args);
}

}  // namespace NDorerClientLog
