#include "qf/QFApplication.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "qf/CQFComponentThread.h"
#include "qf/QFAssert.h"
#include "qf/QFOperatingSystem.h"
#include "qf/QFSyslog.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_kestrel_appbase_application_base_QFApplication");
const CQFTraceScope kTrace(kScope, "execPIQSingleProcess");
constexpr size_t kCommBlockSize = 1024;

void logInfo(const char* text) { QFSyslog::logMsg(0, 5, "%s", text); }
void trace(const char* text) { kTrace.sendFormattedMessage("%s", text); }

// The application controller: what the running application asks of the frame.
struct Controller {
    std::mutex mutex;
    std::condition_variable changed;
    bool shutdownRequested = false;
    bool restartRequested = false;
    int exitCode = 0;
};
Controller& controller() {
    static Controller* c = new Controller;
    return *c;
}

struct TestAids {
    std::mutex mutex;
    std::function<void(int)> executionPoint;
    std::string failingStep;
};
TestAids& testAids() {
    static TestAids* t = new TestAids;
    return *t;
}

void executionPoint(int point) {
    std::function<void(int)> callback;
    {
        std::lock_guard<std::mutex> lock(testAids().mutex);
        callback = testAids().executionPoint;
    }
    if (callback) callback(point);
}

// True when the test aid asks this step to fail.
bool forcedFailure(const char* message) {
    std::lock_guard<std::mutex> lock(testAids().mutex);
    return testAids().failingStep == message;
}

// One service thread with the root-service stub its factory made.
struct ServiceThread {
    explicit ServiceThread(const SQFServiceThreadConfig& c) : config(c), thread(c.mThreadName) {}
    // The component dies on its own thread.
    ~ServiceThread() {
        thread.stop([this] {
            delete stub;
            stub = nullptr;
        });
    }
    SQFServiceThreadConfig config;
    CQFComponentThread thread;
    QFApplication::CQFRootServiceStub* stub = nullptr;  // touched on the service thread only
};

struct Frame {
    std::vector<std::unique_ptr<ServiceThread>> serviceThreads;
    std::vector<SQFServiceRegistryEntry> registry;  // the services the middleware resolves
    SQFComponentAddress rootAddress;
    ServiceThread* root = nullptr;
};
std::mutex gFrameMutex;
Frame* gFrame = nullptr;
const SQFMiddleware* gMiddleware = nullptr;  // set during static initialisation

// Starts thread while the component that registers its name is current, so that its
// parameter lookup resolves in that component.
bool startOwned(CQFThread& thread, std::function<void()> body) {
    const CQFComponentInfo* previous = CQFComponentInfo::getCurrent();
    if (const CQFComponentInfo* owner = QFComponentMap::findThreadOwner(thread.getName())) {
        CQFComponentInfo::setCurrent(owner);
    }
    const bool started = thread.start(std::move(body));
    CQFComponentInfo::setCurrent(previous);
    return started;
}

// SIGTERM: the handler writes to a pipe that the watchdog thread serves.
int gSignalPipe[2] = {-1, -1};
void onTerminateSignal(int) {
    const int saved = errno;
    const char byte = 15;
    (void)!write(gSignalPipe[1], &byte, 1);
    errno = saved;
}

void requestRootTerminate(int reason) {
    std::lock_guard<std::mutex> lock(gFrameMutex);
    if (!gFrame || !gFrame->root) return;
    ServiceThread* root = gFrame->root;
    root->thread.post([root, reason] {
        if (root->stub) root->stub->requestTerminate(reason);
    });
}

// The "Watchdog" thread: serves termination signals until the stop pipe is written.
void watchdogLoop(int stopFd) {
    for (;;) {
        struct pollfd fds[2] = {{gSignalPipe[0], POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (fds[0].revents & POLLIN) {
            char reason = 0;
            if (read(gSignalPipe[0], &reason, 1) == 1) requestRootTerminate(reason);
        }
    }
}

// The middleware threads: they wait for start-up to finish and then for the shutdown.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool unlocked = false;
    bool stopping = false;
    void waitUnlocked() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return unlocked || stopping; });
    }
    void waitStopping() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return stopping; });
    }
    void set(bool& flag) {
        std::lock_guard<std::mutex> lock(mutex);
        flag = true;
        changed.notify_all();
    }
};

struct Options {
    bool watchdog = false;
    bool kernelEvents = false;
    long appId = 0;
    long heartbeatMs = 0;
    std::vector<CQFString> bootParameters;
};

Options parseOptions() {
    Options options;
    for (size_t i = 1; i < QFCommandLineOptions::getCount(); ++i) {
        const CQFString arg = QFCommandLineOptions::getARG(i);
        if (arg == "-QFwatchdog") {
            options.watchdog = true;
        } else if (arg == "-QFkernelevents") {
            options.kernelEvents = true;
        } else if (arg.startsWith("-QFappid=")) {
            options.appId = std::strtol(arg.getCString() + 9, nullptr, 0);
        } else if (arg.startsWith("-QFheartbeat=")) {
            options.heartbeatMs = std::strtol(arg.getCString() + 13, nullptr, 0);
        } else {
            options.bootParameters.push_back(arg);
        }
    }
    return options;
}

bool stackHolds(size_t bytes) {
    struct rlimit limit;
    if (getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return true;
    return bytes <= limit.rlim_cur / 2;
}

}  // namespace

namespace QFCommandLineOptions {
namespace {
std::vector<CQFString>& args() {
    static std::vector<CQFString> a;
    return a;
}
}  // namespace
void set(int argc, const char* const* argv) {
    args().clear();
    for (int i = 0; i < argc; ++i) args().emplace_back(argv[i]);
}
size_t getCount() { return args().size(); }
CQFString getARG(size_t index) { return index < args().size() ? args()[index] : CQFString(); }
}  // namespace QFCommandLineOptions

CQFSystemConfigThreadConfigurator::CQFSystemConfigThreadConfigurator(FQFGetThreadParam getThreadParam, size_t slotCount)
    : mGetThreadParam(getThreadParam), mSlots(slotCount), mFilled(slotCount, false) {}

uint16_t CQFSystemConfigThreadConfigurator::getThreadIndex(const CQFString& threadName) {
    const CQFThreadParam* param = mGetThreadParam ? mGetThreadParam(threadName.getCString()) : nullptr;
    if (!param) return kQFNoThreadIndex;
    std::lock_guard<std::mutex> lock(mMutex);
    if (param->mIndex >= mSlots.size()) {
        doAssert(85, "CQFSystemConfigThreadConfigurator", "thread index out of range", param->mIndex);
        return kQFNoThreadIndex;
    }
    if (!mFilled[param->mIndex]) {
        mSlots[param->mIndex] = *param;
        mFilled[param->mIndex] = true;
    }
    return param->mIndex;
}

const CQFThreadParam* CQFSystemConfigThreadConfigurator::getThreadParams(uint16_t index) {
    if (index == kQFNoThreadIndex) return nullptr;
    std::lock_guard<std::mutex> lock(mMutex);
    if (index >= mSlots.size() || !mFilled[index]) {
        doAssert(118, "CQFSystemConfigThreadConfigurator", "thread parameters not configured", index);
        return nullptr;
    }
    return &mSlots[index];
}

CQFString CQFSystemConfigThreadConfigurator::getWorkerThreadName(const CQFString& workerName) {
    const CQFComponentInfo* current = CQFComponentInfo::getCurrent();
    return current ? current->getMappedWorkerThreadName(workerName) : workerName;
}

namespace QFApplication {

int startup(const SQFComponentAddress& rootAddress, int /*restartCount*/, const CQFBootParameter& commandLine,
            int /*bootMode*/, bool rootInRegistry) {
    std::lock_guard<std::mutex> lock(gFrameMutex);
    if (!gFrame || !rootInRegistry || !gFrame->root || !(gFrame->rootAddress == rootAddress)) return -1;
    ServiceThread* root = gFrame->root;
    const bool posted = root->thread.post([root, commandLine] {
        if (root->stub) root->stub->requestBoot(commandLine);
    });
    return posted ? 0 : -1;
}

void shutdown() { shutdown(0); }

void shutdown(int exitCode) {
    Controller& c = controller();
    std::lock_guard<std::mutex> lock(c.mutex);
    if (c.shutdownRequested) return;  // the first request decides the exit code
    c.shutdownRequested = true;
    c.exitCode = exitCode;
    c.changed.notify_all();
}

void requestRestart() {
    Controller& c = controller();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.restartRequested = true;
}

int startupError(const char* message, int errorSoFar) {
    kTrace.sendFormattedError("%s", message);
    QFSyslog::logMsg(0, 1, "%s", message);
    return errorSoFar != 0 ? errorSoFar : -2;
}

int startupOSError(const char* message, int errorSoFar) {
    const int error = errno;
    kTrace.sendFormattedError("%s: %s", message, std::strerror(error));
    QFSyslog::logMsg(0, 1, "%s: %s", message, std::strerror(error));
    return errorSoFar != 0 ? errorSoFar : -3;
}

void installMiddleware(const SQFMiddleware* middleware) { gMiddleware = middleware; }

int32_t getAPSPartitionId(const char* /*partitionName*/) { return 0; }

void setExecutionPointCallback(std::function<void(int)> callback) {
    std::lock_guard<std::mutex> lock(testAids().mutex);
    testAids().executionPoint = std::move(callback);
}

void failStartupStep(const char* message) {
    std::lock_guard<std::mutex> lock(testAids().mutex);
    testAids().failingStep = message ? message : "";
}

}  // namespace QFApplication

int execPIQSingleProcess(const SQFSystemConfig& system, const SQFApplicationConfig& app,
                         const std::vector<SQFServiceRegistryEntry>& registry,
                         const std::vector<SQFPIQImportEntry>& imports) {
    using namespace QFApplication;
    int error = 0;
    // A step fails when its call failed or the test aid names its message.
    auto failed = [](bool ok, const char* message) { return !ok || forcedFailure(message); };

    // 1.
    executionPoint(1);
    const char* processName = (system.mProcessName && *system.mProcessName) ? system.mProcessName : "<unknown>";

    // 2.
    const Options options = parseOptions();

    // 3.
    QFSyslog::logMsg(0, 5, "application %s started (watchdog is %s)", processName,
                     options.watchdog ? "enabled" : "disabled");
    if (options.kernelEvents) {
        kTrace.sendFormattedMessage("kernel event 0x%08X pid %d index %d", app.mKernelTraceAppId,
                                    static_cast<int>(getpid()), 0);
    }
    QFSyslog::logMsg(0, 5, "Kestrelv2 version is %s", "NoVersion");

    // 4.
    bool environmentOk = true;
    if (failed(pipe2(gSignalPipe, O_CLOEXEC) == 0, "cannot set up process environment")) {
        error = startupOSError("cannot set up process environment", error);
        environmentOk = false;
    } else {
        struct sigaction action = {};
        action.sa_handler = onTerminateSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
    }
    std::unique_ptr<char[]> commBlocks;
    const size_t commBytes = app.mIntraThreadCommBlocks * kCommBlockSize;
    if (failed(stackHolds(commBytes + 128), "cannot allocate intra thread comm memory")) {
        error = startupError("cannot allocate intra thread comm memory", error);
    } else {
        commBlocks.reset(new char[commBytes + 1]);
    }

    // 5.
    int restartCount = 0;
    bool again = environmentOk && commBlocks;
    while (again) {
        again = false;
        bool restartRequested = false;
        {
            Controller& c = controller();
            std::lock_guard<std::mutex> lock(c.mutex);
            c.shutdownRequested = false;
            c.restartRequested = false;
            c.exitCode = 0;
        }
        // 5.1 The timer server: component threads run their own timers; the error channel
        // is the watchdog's stop pipe.
        bool timerServer = !failed(true, "cannot create timer server");
        if (!timerServer) error = startupError("cannot create timer server", error);
        int errorChannel[2] = {-1, -1};
        if (failed(pipe2(errorChannel, O_CLOEXEC) == 0, "cannot create error channel")) {
            error = startupOSError("cannot create error channel", error);
        } else if (failed(true, "cannot attach to error channel")) {
            error = startupOSError("cannot attach to error channel", error);
        }

        // 5.2
        CQFThread::setCurrentName(app.mMainThreadName, false);
        CQFComponentInfo::setCurrent(QFComponentMap::findThreadOwner(app.mMainThreadName));
        auto configurator = std::make_unique<CQFSystemConfigThreadConfigurator>(system.mGetThreadParam,
                                                                                system.mThreadNames.size());
        if (failed(true, "cannot set up threading environment")) {
            error = startupError("cannot set up threading environment", error);
        } else {
            QFThreading::setConfigurator(configurator.get());
            configurator->getThreadIndex(app.mMainThreadName);
        }

        // 5.3
        if (timerServer) {
            if (options.heartbeatMs > 0 && failed(true, "cannot set up heartbeat facility")) {
                error = startupError("cannot set up heartbeat facility", error);
            }
            if (failed(true, "cannot set up watchdog startup suppressor")) {
                error = startupError("cannot set up watchdog startup suppressor", error);
            }
        }

        // 5.4
        if (failed(true, "cannot set up component environment")) {
            error = startupError("cannot set up component environment", error);
        }

        // 5.5
        if (error == 0 && commBlocks && timerServer) {
            // 6.
            if (failed(true, "cannot install application controller")) {
                error = startupError("cannot install application controller", error);
            }
            logInfo("starting startup sequence");

            // 7.
            logInfo("starting watchdog thread");
            CQFThread watchdog(app.mWatchdogThreadName);
            const int stopFd = errorChannel[0];
            if (failed(stopFd >= 0 && startOwned(watchdog, [stopFd] { watchdogLoop(stopFd); }),
                       "cannot start watchdog thread")) {
                error = startupOSError("cannot start watchdog thread", error);
            }

            // 8.
            auto frame = std::make_unique<Frame>();
            frame->registry = registry;
            frame->rootAddress = app.mRootAddress;
            if (gMiddleware) gMiddleware->mConfigure(imports, registry);

            // 9.
            bool traceThread = false;
            if (!QFTrace::isDisabled()) {
                logInfo("initializing trace environment");
                const CQFComponentInfo* previous = CQFComponentInfo::getCurrent();
                CQFComponentInfo::setCurrent(QFComponentMap::findThreadOwner(app.mTraceThreadName));
                traceThread = !failed(QFTrace::startThread(), "cannot start trace thread");
                CQFComponentInfo::setCurrent(previous);
                if (!traceThread) error = startupError("cannot start trace thread", error);
            }

            // 10.
            trace("starting PIQ receiver thread");
            if (failed(true, "cannot create piqrcvMasterChannel")) {
                error = startupOSError("cannot create piqrcvMasterChannel", error);
            }
            if (failed(true, "cannot create piqrcvSubChannel")) {
                error = startupOSError("cannot create piqrcvSubChannel", error);
            }
            Gate receiverGate, tcpReceiverGate;

            // 11.
            trace("starting PIQ sender thread");
            Gate senderGate;
            CQFThread sender(app.mPIQSendThreadName);
            const char* receiverName = app.mPIQReceiveThreadName;
            const char* tcpReceiverName = app.mPIQTCPReceiveThreadName;
            const bool senderStarted = startOwned(sender, [&] {
                CQFThread receiver(receiverName), tcpReceiver(tcpReceiverName);
                startOwned(receiver, [&] {
                    receiverGate.waitUnlocked();
                    if (gMiddleware) gMiddleware->mServe();
                    receiverGate.waitStopping();
                });
                startOwned(tcpReceiver, [&] {
                    tcpReceiverGate.waitUnlocked();
                    tcpReceiverGate.waitStopping();
                });
                senderGate.waitStopping();
                if (gMiddleware) gMiddleware->mStop();
                // The receivers end with the sender, in this order.
                tcpReceiverGate.set(tcpReceiverGate.stopping);
                tcpReceiver.join();
                receiverGate.set(receiverGate.stopping);
                receiver.join();
            });
            if (failed(senderStarted, "cannot start piq sender thread")) {
                error = startupError("cannot start piq sender thread", error);
            }

            // 12.
            trace("starting service threads");
            bool rootInRegistry = false;
            for (const SQFServiceRegistryEntry& entry : registry) {
                if (entry.mAddress == app.mRootAddress) rootInRegistry = true;
            }
            kTrace.sendFormattedMessage("starting %s root component Root:%d %d", rootInRegistry ? "with" : "without",
                                        app.mRootAddress.mFirst, app.mRootAddress.mSecond);
            for (const SQFServiceThreadConfig& config : app.mServiceThreads) {
                auto service = std::make_unique<ServiceThread>(config);
                ServiceThread* s = service.get();
                const CQFComponentInfo* component = QFComponentMap::find(config.mComponentName);
                const CQFComponentInfo* previous = CQFComponentInfo::getCurrent();
                CQFComponentInfo::setCurrent(QFComponentMap::findThreadOwner(config.mThreadName));
                const bool started = s->thread.start([s, component] {
                    CQFComponentInfo::setCurrent(component);
                    s->stub = s->config.mFactory ? s->config.mFactory() : nullptr;
                });
                CQFComponentInfo::setCurrent(previous);
                if (failed(started, "cannot start service thread")) {
                    error = startupError("cannot start service thread", error);
                    continue;
                }
                if (component && component->getMapKey() == app.mRootAddress) frame->root = s;
                frame->serviceThreads.push_back(std::move(service));
            }
            {
                std::lock_guard<std::mutex> lock(gFrameMutex);
                gFrame = frame.get();
            }

            // 13.
            trace("starting application");
            if (failed(QFOperatingSystem::setCurrentThreadPriority(QFOperatingSystem::sHighestPriority),
                       "cannot increase root thread priority")) {
                error = startupError("cannot increase root thread priority", error);
            }
            executionPoint(2);

            // 14.
            if (error == 0) {
                if (failed(startup(app.mRootAddress, restartCount, CQFBootParameter(options.bootParameters), 2,
                                   rootInRegistry) == 0,
                           "cannot startup application")) {
                    error = startupError("cannot startup application", error);
                } else {
                    receiverGate.set(receiverGate.unlocked);
                    tcpReceiverGate.set(tcpReceiverGate.unlocked);
                    trace("startup sequence finished. Waiting for shutdown/restart request");
                    Controller& c = controller();
                    std::unique_lock<std::mutex> lock(c.mutex);
                    c.changed.wait(lock, [&c] { return c.shutdownRequested; });
                    restartRequested = c.restartRequested;
                }
                executionPoint(4);
            }

            // 15.
            if (failed(QFOperatingSystem::setCurrentThreadPriority(QFOperatingSystem::sNormalPriority),
                       "cannot reduce thread priority of root thread")) {
                error = startupError("cannot reduce thread priority of root thread", error);
            }
            trace("starting shutdown sequence");

            // 16.
            trace("terminating service threads");
            {
                std::lock_guard<std::mutex> lock(gFrameMutex);
                gFrame = nullptr;
            }
            frame->serviceThreads.clear();
            trace("terminating piq sender thread");
            senderGate.set(senderGate.stopping);
            if (failed(!senderStarted || sender.join(), "cannot join piq sender thread")) {
                error = startupError("cannot join piq sender thread", error);
            }
            trace("terminating the TCP piq receiver thread");
            trace("terminating piq receiver thread");
            trace("terminating trace thread");
            if (traceThread) QFTrace::stopThread();
            trace("terminating watchdog thread");
            if (errorChannel[1] >= 0) (void)!write(errorChannel[1], "x", 1);
            if (watchdog.isStarted() && failed(watchdog.join(), "cannot join watchdog thread")) {
                error = startupError("cannot join watchdog thread", error);
            }

            // 17.
            commBlocks.reset(new char[commBytes + 1]);
            trace("shutdown sequence finished");
            // 18. The controller, gates and registry go with this scope.
        }

        // 19.
        QFThreading::setConfigurator(nullptr);
        if (error == 0) {
            Controller& c = controller();
            std::lock_guard<std::mutex> lock(c.mutex);
            error = c.exitCode;
        }

        // 20.
        if (restartRequested) {
            if (error == 0) {
                trace("restarting application");
                logInfo("restarting application");
                again = true;
                ++restartCount;
            } else {
                kTrace.sendFormattedError("restart refused due to an error");
                QFSyslog::logMsg(0, 2, "restarting application refused due to an error");
            }
        }

        // 21.
        for (int fd : errorChannel) {
            if (fd >= 0) close(fd);
        }
    }

    // 6.
    kTrace.sendFormattedMessage("terminating application with exit code %d", error);
    QFSyslog::logMsg(0, 5, "terminating application with exit code %d", error);
    executionPoint(8);
    signal(SIGTERM, SIG_DFL);
    for (int& fd : gSignalPipe) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    return error;
}
