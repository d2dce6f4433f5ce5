#include "qf/QFTrace.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "qf/CQFString.h"
#include "qf/CQFThread.h"

namespace {

struct Selection {
    std::mutex mutex;
    std::vector<std::string> entries;
    std::atomic<int> generation{0};
    bool loaded = false;
};

Selection& selection() {
    static Selection* s = new Selection;  // lives to the very end: traces may come from exit paths
    return *s;
}

void parseSelection(Selection& s, const char* text) {
    s.entries.clear();
    std::string entry;
    for (const char* p = text ? text : "";; ++p) {
        if (*p == '\0' || *p == ',' || *p == ' ' || *p == ':') {
            if (!entry.empty()) s.entries.push_back(entry);
            entry.clear();
            if (*p == '\0') break;
        } else {
            entry += *p;
        }
    }
    s.loaded = true;
}

bool selected(const char* name) {
    Selection& s = selection();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.loaded) parseSelection(s, std::getenv("QF_TRACE"));
    for (const std::string& e : s.entries) {
        if (e == "all" || e == name) return true;
        if (!e.empty() && e.back() == '*' && std::strncmp(name, e.c_str(), e.size() - 1) == 0) return true;
    }
    return false;
}

// The transport: a queue served by the "Trace" thread while it runs.
class Sink {
public:
    void send(std::string line) {
        std::unique_lock<std::mutex> lock(mMutex);
        if (mRunning) {
            mQueue.push_back(std::move(line));
            mWake.notify_one();
            return;
        }
        write(line);
    }
    bool start() {
        std::lock_guard<std::mutex> lock(mMutex);
        if (mThread) return true;
        mThread = new CQFThread("Trace");
        mRunning = true;
        if (!mThread->start([this] { serve(); })) {
            mRunning = false;
            delete mThread;
            mThread = nullptr;
            return false;
        }
        return true;
    }
    void stop() {
        CQFThread* thread;
        {
            std::lock_guard<std::mutex> lock(mMutex);
            thread = mThread;
            mThread = nullptr;
            mStopping = thread != nullptr;
            mWake.notify_one();
        }
        if (!thread) return;
        thread->join();
        delete thread;
        std::lock_guard<std::mutex> lock(mMutex);
        mRunning = false;
        mStopping = false;
        drainLocked();
    }
    void flush() {
        std::unique_lock<std::mutex> lock(mMutex);
        mDrained.wait(lock, [this] { return mQueue.empty() || !mRunning; });
        drainLocked();
    }

private:
    void serve() {
        std::unique_lock<std::mutex> lock(mMutex);
        for (;;) {
            mWake.wait(lock, [this] { return !mQueue.empty() || mStopping; });
            drainLocked();
            mDrained.notify_all();
            if (mStopping) return;
        }
    }
    void drainLocked() {
        while (!mQueue.empty()) {
            write(mQueue.front());
            mQueue.pop_front();
        }
    }
    static void write(const std::string& line) {
        const char* path = std::getenv("QF_TRACE_FILE");
        FILE* out = (path && *path) ? std::fopen(path, "a") : stderr;
        if (!out) return;
        std::fwrite(line.data(), 1, line.size(), out);
        if (out != stderr) std::fclose(out); else std::fflush(out);
    }

    std::mutex mMutex;
    std::condition_variable mWake, mDrained;
    std::deque<std::string> mQueue;
    CQFThread* mThread = nullptr;
    bool mRunning = false;
    bool mStopping = false;
};

Sink& sink() {
    static Sink* s = new Sink;
    return *s;
}

void sendLine(const char* kind, const CQFTraceScope& scope, const char* text) {
    std::string line = kind;
    line += ' ';
    line += CQFThread::currentName();
    line += ' ';
    line += scope.getDef().getName();
    line += ": ";
    line += text;
    if (line.back() != '\n') line += '\n';
    sink().send(std::move(line));
}

}  // namespace

bool CQFTraceScopeDef::isEnabled() const {
    if (QFTrace::isDisabled()) return false;
    const int generation = selection().generation.load();
    if (mGeneration.load() != generation) {
        mEnabled = selected(mName);
        mGeneration = generation;
    }
    return mEnabled;
}

void CQFTraceScope::sendMessageUnconditionally(const char* text) const {
    if (QFTrace::isDisabled()) return;
    sendLine("TRACE", *this, text ? text : "");
}

void CQFTraceScope::sendFormattedMessage(const char* fmt, ...) const {
    if (!isEnabled()) return;
    va_list args;
    va_start(args, fmt);
    CQFString text;
    text.vformat(fmt, args);
    va_end(args);
    sendLine("TRACE", *this, text.getCString());
}

void CQFTraceScope::sendFormattedError(const char* fmt, ...) const {
    if (QFTrace::isDisabled()) return;
    va_list args;
    va_start(args, fmt);
    CQFString text;
    text.vformat(fmt, args);
    va_end(args);
    sendLine("ERROR", *this, text.getCString());
}

namespace QFTrace {

bool isDisabled() { return std::getenv("QF_DISABLE_TRACE") != nullptr; }

void configure(const char* text) {
    Selection& s = selection();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        parseSelection(s, text ? text : std::getenv("QF_TRACE"));
    }
    ++s.generation;
}

bool startThread() { return sink().start(); }
void stopThread() { sink().stop(); }
void flush() { sink().flush(); }

}  // namespace QFTrace
