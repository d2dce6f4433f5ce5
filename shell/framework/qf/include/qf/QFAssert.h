// Assertions of the framework. doAssert and doCheapAssert report and return, so the caller
// goes on with its fallback (for example empty text); doFatalError reports and aborts.
// A report is one system-log record of severity 1 and one trace error line:
//   "ASSERTION <source>:<line>: <message> (<value>)"   doAssert
//   "ASSERTION <source>:<line>"                        doCheapAssert
//   "FATAL ERROR <source>:<line>: <message>"           doFatalError
// Tests observe reports through QFAssert::setObserver.
#pragma once

#include <functional>
#include <string>

void doAssert(int line, const char* source, const char* message, long long value);
void doAssert(int line, const char* source, const char* message, const char* value);
void doCheapAssert(int line, const char* source);
[[noreturn]] void doFatalError(int line, const char* source, const char* message);

struct SQFAssertion {
    int mLine = 0;
    std::string mSource;
    std::string mMessage;  // empty for doCheapAssert
    std::string mValue;    // the value as text; empty for doCheapAssert
};

namespace QFAssert {
// Called (on the asserting thread) for every doAssert and doCheapAssert report; an empty
// function removes the observer.
void setObserver(std::function<void(const SQFAssertion&)> observer);
}  // namespace QFAssert
