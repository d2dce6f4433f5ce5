// The process frame: execPIQSingleProcess sets up the framework, starts its threads and the
// service threads, boots the root component and waits until the application is shut down;
// its result is the process exit status.
//
// Framework command-line options (taken out before the root component sees the arguments):
//   -QFwatchdog          enable the watchdog           -QFkernelevents   emit kernel-trace events
//   -QFappid=<n>         application id                -QFheartbeat=<ms> heartbeat period
// Every other argument after the program name is a boot parameter, in order.
// SIGTERM asks the root component to terminate (requestTerminate with reason 15).
// The service middleware threads ("PIQSend", "PIQReceive", "PIQTCPReceive") run and wait;
// "PIQReceive" serves the installed middleware (installMiddleware).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "qf/CQFComponent.h"
#include "qf/CQFString.h"
#include "qf/CQFThread.h"

class CQFBootParameter {
public:
    CQFBootParameter() = default;
    explicit CQFBootParameter(std::vector<CQFString> arguments) : mArguments(std::move(arguments)) {}
    size_t getCount() const { return mArguments.size(); }
    // Empty text for an index out of range.
    CQFString getArgument(size_t index) const { return index < mArguments.size() ? mArguments[index] : CQFString(); }

private:
    std::vector<CQFString> mArguments;
};

namespace QFCommandLineOptions {
// The process's own command line as main received it (index 0 is the program).
void set(int argc, const char* const* argv);
size_t getCount();
CQFString getARG(size_t index);  // empty out of range
}  // namespace QFCommandLineOptions

// A thread's parameter record by name, as the process publishes it (null: no record).
using FQFGetThreadParam = const CQFThreadParam* (*)(const char* threadName);

struct SQFSystemConfig {
    const char* mProcessName = nullptr;
    std::vector<const char*> mThreadNames;
    size_t mStackSize = 0;
    int mPriority = 0;
    FQFGetThreadParam mGetThreadParam = nullptr;
};

struct SQFServiceRegistryEntry {
    const char* mServiceName;
    SQFComponentAddress mAddress;
    int mIndex;
    bool mImport;
    uint16_t mVersionMajor;
    uint16_t mVersionMinor;
};

// Factory and serializer slots of an import: filled by the interfaces' event classes (the
// types belong to the middleware, piq/CQFServiceEvent.h).
class CQFPIQIStream;
class CQFPIQOStream;
class CQFServiceResponseEvent;
class CQFServiceRequestEvent;
using FQFResponseEventFactory = CQFServiceResponseEvent* (*)(CQFPIQIStream& in);
using FQFRequestEventSerializer = void (*)(CQFPIQOStream& out, CQFServiceRequestEvent& event);

struct SQFPIQImportEntry {
    const char* mServiceName;
    int mIndex;
    uint16_t mVersionMajor;
    uint16_t mVersionMinor;
    FQFResponseEventFactory mResponseFactory;
    FQFRequestEventSerializer mRequestSerializer;
};

namespace QFApplication {
class CQFRootServiceStub;
}

using FQFComponentFactory = std::function<QFApplication::CQFRootServiceStub*()>;

struct SQFServiceThreadConfig {
    const char* mThreadName;
    const char* mComponentName;
    FQFComponentFactory mFactory;  // runs on the service thread
};

struct SQFApplicationConfig {
    const char* mMainThreadName = "MainThread";
    const char* mWatchdogThreadName = "Watchdog";
    const char* mTraceThreadName = "Trace";
    const char* mPIQSendThreadName = "PIQSend";
    const char* mPIQReceiveThreadName = "PIQReceive";
    const char* mPIQTCPReceiveThreadName = "PIQTCPReceive";
    std::vector<SQFServiceThreadConfig> mServiceThreads;
    unsigned mIntraThreadCommBlocks = 0;
    SQFComponentAddress mRootAddress;
    uint32_t mKernelTraceAppId = 0;
    uint32_t mAbortTimeMs = 0;  // 0: none
};

int execPIQSingleProcess(const SQFSystemConfig& system, const SQFApplicationConfig& application,
                         const std::vector<SQFServiceRegistryEntry>& registry,
                         const std::vector<SQFPIQImportEntry>& imports);

// The service middleware the frame runs: configured with the imports and the registry,
// served on the "PIQReceive" thread once start-up has succeeded, stopped at shutdown. The
// middleware library installs itself (piq); without one the PIQ threads only wait.
struct SQFMiddleware {
    void (*mConfigure)(const std::vector<SQFPIQImportEntry>& imports,
                       const std::vector<SQFServiceRegistryEntry>& registry);
    void (*mServe)();
    void (*mStop)();
};

// The thread configurator the frame installs: one slot per thread index, filled from the
// process's thread parameter records on first lookup. Threads start from several threads, so
// the slots are guarded.
class CQFSystemConfigThreadConfigurator : public IQFThreadConfigurator {
public:
    CQFSystemConfigThreadConfigurator(FQFGetThreadParam getThreadParam, size_t slotCount);
    uint16_t getThreadIndex(const CQFString& threadName) override;
    const CQFThreadParam* getThreadParams(uint16_t index) override;
    CQFString getWorkerThreadName(const CQFString& workerName) override;

private:
    FQFGetThreadParam mGetThreadParam;
    std::mutex mMutex;
    std::vector<CQFThreadParam> mSlots;
    std::vector<bool> mFilled;
};

namespace QFApplication {

// The root component's service interface.
class CQFRootServiceStub {
public:
    virtual ~CQFRootServiceStub() = default;
    virtual void requestBoot(const CQFBootParameter& bootParameters) = 0;
    virtual void requestTerminate(int reason) = 0;
};

// Boots the root component at rootAddress on its service thread. 0 on success.
int startup(const SQFComponentAddress& rootAddress, int restartCount, const CQFBootParameter& commandLine,
            int bootMode, bool rootInRegistry);
// Ends the application: exit code 0, or the given one.
void shutdown();
void shutdown(int exitCode);
// Asks the frame to run its set-up again after the shutdown sequence.
void requestRestart();

// Report a failed start-up step (trace error and system log) and return the error value:
// errorSoFar when it is already set, else -2 (startupError) or -3 (startupOSError, errno
// appended to the message).
int startupError(const char* message, int errorSoFar);
int startupOSError(const char* message, int errorSoFar);

void installMiddleware(const SQFMiddleware* middleware);

// The adaptive-partitioning partition id of a name: the host has one partition, id 0.
int32_t getAPSPartitionId(const char* partitionName);

// Test aid: a start-up step to fail by its message (null: none).
void failStartupStep(const char* message);

}  // namespace QFApplication
