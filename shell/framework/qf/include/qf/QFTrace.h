// Trace scopes. A scope is named after its source ("sys_data_systemsettings_shell_CDorerShellMain")
// and is either enabled or not; code formats a trace line only when its scope is enabled.
//
// Enabling: the environment variable QF_TRACE lists scopes, separated by commas, spaces or
// colons. An entry is a scope name, a prefix ending in '*' ("sys_data_*"), or "all".
// Unset or empty: every scope is off. When QF_DISABLE_TRACE is set (any value) tracing is off
// entirely, errors included, and no "Trace" thread runs.
//
// Output: one line per message, "TRACE <thread> <scope>: <text>" or "ERROR <thread> <scope>:
// <text>" (one trailing newline of the text is dropped), appended to the file named by
// QF_TRACE_FILE, else written to standard error. While the "Trace" thread runs, lines are
// queued and written by it in the order they were sent; otherwise they are written at once.
// Errors (sendFormattedError) are written whether or not their scope is enabled.
#pragma once

#include <atomic>
#include <cstdarg>
#include <string>

class CQFTraceScopeDef {
public:
    // One static object per source; the name must outlive it (a literal).
    explicit CQFTraceScopeDef(const char* scopeName) : mName(scopeName) {}
    const char* getName() const { return mName; }
    // Evaluated against QF_TRACE on first use, again after QFTrace::configure.
    bool isEnabled() const;

private:
    const char* mName;
    mutable std::atomic<int> mGeneration{-1};
    mutable std::atomic<bool> mEnabled{false};
};

// The scope of one function: the scope definition plus the function name.
class CQFTraceScope {
public:
    CQFTraceScope(const CQFTraceScopeDef& def, const char* function) : mDef(def), mFunction(function) {}
    bool isEnabled() const { return mDef.isEnabled(); }
    const char* getFunction() const { return mFunction; }
    const CQFTraceScopeDef& getDef() const { return mDef; }

    // Sends the text as it is; the caller has checked isEnabled().
    void sendMessageUnconditionally(const char* text) const;
    // Formats and sends only when the scope is enabled.
    void sendFormattedMessage(const char* fmt, ...) const __attribute__((format(printf, 2, 3)));
    // Formats and sends an error line (also with the scope disabled).
    void sendFormattedError(const char* fmt, ...) const __attribute__((format(printf, 2, 3)));

private:
    const CQFTraceScopeDef& mDef;
    const char* mFunction;
};

namespace QFTrace {
// True when QF_DISABLE_TRACE is set.
bool isDisabled();
// Replaces the QF_TRACE selection (tests; nullptr reads the environment again).
void configure(const char* selection);
// The transport thread "Trace": started and stopped by the process frame.
bool startThread();
void stopThread();
// Writes out what is queued (also called by stopThread).
void flush();
}  // namespace QFTrace
