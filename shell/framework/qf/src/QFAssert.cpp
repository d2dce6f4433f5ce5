#include "qf/QFAssert.h"

#include <cstdlib>
#include <mutex>

#include "qf/CQFString.h"
#include "qf/QFSyslog.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_kestrel_assert");

std::mutex& observerMutex() {
    static std::mutex m;
    return m;
}
std::function<void(const SQFAssertion&)>& observer() {
    static std::function<void(const SQFAssertion&)> o;
    return o;
}

void report(const SQFAssertion& assertion, const CQFString& text) {
    QFSyslog::logMsg(0, 1, "%s", text.getCString());
    CQFTraceScope(kScope, "doAssert").sendFormattedError("%s", text.getCString());
    std::lock_guard<std::mutex> lock(observerMutex());
    if (observer()) observer()(assertion);
}

}  // namespace

void doAssert(int line, const char* source, const char* message, long long value) {
    doAssert(line, source, message, CQFString().format("%lld", value).getCString());
}

void doAssert(int line, const char* source, const char* message, const char* value) {
    SQFAssertion a{line, source ? source : "", message ? message : "", value ? value : ""};
    report(a, CQFString().format("ASSERTION %s:%d: %s (%s)", a.mSource.c_str(), line, a.mMessage.c_str(),
                                 a.mValue.c_str()));
}

void doCheapAssert(int line, const char* source) {
    SQFAssertion a{line, source ? source : "", "", ""};
    report(a, CQFString().format("ASSERTION %s:%d", a.mSource.c_str(), line));
}

void doFatalError(int line, const char* source, const char* message) {
    CQFString text;
    text.format("FATAL ERROR %s:%d: %s", source ? source : "", line, message ? message : "");
    QFSyslog::logMsg(0, 1, "%s", text.getCString());
    CQFTraceScope(kScope, "doFatalError").sendFormattedError("%s", text.getCString());
    QFTrace::flush();
    std::abort();
}

namespace QFAssert {

void setObserver(std::function<void(const SQFAssertion&)> o) {
    std::lock_guard<std::mutex> lock(observerMutex());
    observer() = std::move(o);
}

}  // namespace QFAssert
