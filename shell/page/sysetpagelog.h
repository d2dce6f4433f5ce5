// Log lines and fatal errors of the shared-page code: every line goes to the system log as
// "[DorerPage V=1.3,D=0,PID=..,TID=..,F=<function>()] <LABEL>: <text>" and leaves errno alone.
#pragma once

enum DorerPageLogLevel { DORER_PAGE_LOG_ERROR, DORER_PAGE_LOG_WARNING, DORER_PAGE_LOG_INFO };

// Opcode of every shared-page record.
constexpr int kDorerPageLogOpcode = 0x100002;

void DorerPageLog_write(DorerPageLogLevel level, const char* function, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));

// Logs message as an ERROR line of function, then stops the process through the framework.
[[noreturn]] void DorerPageLog_fatal(int line, const char* source, const char* function, const char* message);
