// Named threads. The name is visible to the operating system (cut to the 15 bytes Linux
// allows, e.g. "DorerShellFileI") and in full to the framework (trace lines, currentName).
// When the process frame has installed a thread configurator, a starting thread looks up
// its index and parameter record by name.
#pragma once

#include <pthread.h>

#include <cstdint>
#include <functional>
#include <string>

#include "qf/CQFString.h"

// The framework's per-thread parameter record. This framework uses the index and keeps the
// rest for the threads' owners: watchdog time-out in ms (0: not supervised), event-queue
// block size, stack size in bytes, priority class, event-queue limit, partition id (-1: none).
struct CQFThreadParam {
    uint16_t mIndex = 0;
    uint32_t mWatchdogTimeoutMs = 0;
    uint32_t mQueueBlockSize = 0;
    uint32_t mStackSize = 0;
    uint16_t mPriorityClass = 0;
    uint16_t mQueueLimit = 0;
    int32_t mPartitionId = -1;
};

constexpr uint16_t kQFNoThreadIndex = 32767;

class IQFThreadConfigurator {
public:
    virtual ~IQFThreadConfigurator() = default;
    // The index of the named thread, or kQFNoThreadIndex when it has no record.
    virtual uint16_t getThreadIndex(const CQFString& threadName) = 0;
    // The record of an index; null for kQFNoThreadIndex.
    virtual const CQFThreadParam* getThreadParams(uint16_t index) = 0;
    // The name a worker thread of the current component runs under.
    virtual CQFString getWorkerThreadName(const CQFString& workerName) = 0;
};

namespace QFThreading {
// Installs the configurator asked by every thread started from now on (null removes it).
void setConfigurator(IQFThreadConfigurator* configurator);
IQFThreadConfigurator* getConfigurator();
}  // namespace QFThreading

class CQFThread {
public:
    // paramName: the name the thread's parameter record is looked up by, when it differs
    // from the name the thread runs under (a mapped worker name).
    explicit CQFThread(const CQFString& name, const CQFString& paramName = CQFString())
        : mName(name), mParamName(paramName.isEmpty() ? name : paramName) {}
    ~CQFThread();  // joins a started thread
    CQFThread(const CQFThread&) = delete;
    CQFThread& operator=(const CQFThread&) = delete;

    // Starts body on the new thread; false when the thread could not be created.
    bool start(std::function<void()> body);
    // Waits for the end of body; false when the thread never started or was joined already.
    bool join();
    bool isStarted() const { return mStarted; }
    const CQFString& getName() const { return mName; }
    // The configured index of the thread (kQFNoThreadIndex without a record).
    uint16_t getIndex() const { return mIndex; }
    pthread_t getNativeHandle() const { return mHandle; }

    // The full framework name of the calling thread ("<unnamed>" for threads not started
    // here, until setCurrentName names them).
    static const char* currentName();
    // osVisible false keeps the operating system's name (the main thread's name is the
    // process name there, which `ps` and `pidof` show).
    static void setCurrentName(const CQFString& name, bool osVisible = true);

private:
    static void* run(void* self);
    CQFString mName;
    CQFString mParamName;
    std::function<void()> mBody;
    pthread_t mHandle{};
    bool mStarted = false;
    uint16_t mIndex = kQFNoThreadIndex;
};
