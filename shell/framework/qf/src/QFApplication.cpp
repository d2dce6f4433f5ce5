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

// The test aid: a start-up step to fail by its message.
struct TestAids {
    std::mutex mutex;
    std::string failingStep;
};
TestAids& testAids() {
    static TestAids* t = new TestAids;
    return *t;
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

void failStartupStep(const char* message) {
    std::lock_guard<std::mutex> lock(testAids().mutex);
    testAids().failingStep = message ? message : "";
}

}  // namespace QFApplication

namespace {

// The threads of one round of the sequence, torn down in the reverse order of their start.
struct RoundThreads {
    RoundThreads(const SQFApplicationConfig& app) : watchdog(app.mWatchdogThreadName), sender(app.mPIQSendThreadName) {}
    CQFThread watchdog;
    std::unique_ptr<Frame> frame;
    bool traceThread = false;
    Gate receiverGate, tcpReceiverGate, senderGate;
    CQFThread sender;
    bool senderStarted = false;
    bool rootInRegistry = false;
};

// The start-up and shutdown sequence: process set-up, then rounds (framework set-up, threads,
// the application until it shuts down, tear-down) while the application asks for a restart.
class StartupSequence {
public:
    StartupSequence(const SQFSystemConfig& system, const SQFApplicationConfig& app,
                    const std::vector<SQFServiceRegistryEntry>& registry, const std::vector<SQFPIQImportEntry>& imports)
        : mSystem(system), mApp(app), mRegistry(registry), mImports(imports) {}

    int run() {
        announce();
        if (setUpProcess()) {
            bool again = true;
            for (int restartCount = 0; again; ++restartCount) again = runRound(restartCount);
        }
        endProcess();
        return mError;
    }

private:
    // A step fails when its call failed or the test aid names its message.
    static bool failed(bool ok, const char* message) { return !ok || forcedFailure(message); }
    void stepError(const char* message) { mError = QFApplication::startupError(message, mError); }
    void stepOSError(const char* message) { mError = QFApplication::startupOSError(message, mError); }

    void announce() {
        const char* processName =
            (mSystem.mProcessName && *mSystem.mProcessName) ? mSystem.mProcessName : "<unknown>";
        mOptions = parseOptions();
        QFSyslog::logMsg(0, 5, "application %s started (watchdog is %s)", processName,
                         mOptions.watchdog ? "enabled" : "disabled");
        if (mOptions.kernelEvents) {
            kTrace.sendFormattedMessage("kernel event 0x%08X pid %d index %d", mApp.mKernelTraceAppId,
                                        static_cast<int>(getpid()), 0);
        }
        QFSyslog::logMsg(0, 5, "Kestrelv2 version is %s", "NoVersion");
    }

    // The signal pipe and the intra-thread communication blocks; false when either failed.
    bool setUpProcess() {
        bool environmentOk = true;
        if (failed(pipe2(gSignalPipe, O_CLOEXEC) == 0, "cannot set up process environment")) {
            stepOSError("cannot set up process environment");
            environmentOk = false;
        } else {
            struct sigaction action = {};
            action.sa_handler = onTerminateSignal;
            sigemptyset(&action.sa_mask);
            action.sa_flags = SA_RESTART;
            sigaction(SIGTERM, &action, nullptr);
        }
        mCommBytes = mApp.mIntraThreadCommBlocks * kCommBlockSize;
        if (failed(stackHolds(mCommBytes + 128), "cannot allocate intra thread comm memory")) {
            stepError("cannot allocate intra thread comm memory");
        } else {
            mCommBlocks.reset(new char[mCommBytes + 1]);
        }
        return environmentOk && mCommBlocks;
    }

    // One round; true when it is to run again (a restart without an error).
    bool runRound(int restartCount) {
        resetController();
        bool restartRequested = false;
        // The timer server: component threads run their own timers; the error channel is the
        // watchdog's stop pipe.
        const bool timerServer = !failed(true, "cannot create timer server");
        if (!timerServer) stepError("cannot create timer server");
        int errorChannel[2] = {-1, -1};
        if (failed(pipe2(errorChannel, O_CLOEXEC) == 0, "cannot create error channel")) {
            stepOSError("cannot create error channel");
        } else if (failed(true, "cannot attach to error channel")) {
            stepOSError("cannot attach to error channel");
        }
        auto configurator = setUpFramework(timerServer);

        if (mError == 0 && mCommBlocks && timerServer) {
            RoundThreads threads(mApp);
            startThreads(threads, errorChannel[0]);
            restartRequested = runApplication(threads, restartCount);
            stopThreads(threads, errorChannel[1]);
        }

        QFThreading::setConfigurator(nullptr);
        if (mError == 0) {
            Controller& c = controller();
            std::lock_guard<std::mutex> lock(c.mutex);
            mError = c.exitCode;
        }
        bool again = false;
        if (restartRequested) {
            if (mError == 0) {
                trace("restarting application");
                logInfo("restarting application");
                again = true;
            } else {
                kTrace.sendFormattedError("restart refused due to an error");
                QFSyslog::logMsg(0, 2, "restarting application refused due to an error");
            }
        }
        for (int fd : errorChannel) {
            if (fd >= 0) close(fd);
        }
        return again;
    }

    static void resetController() {
        Controller& c = controller();
        std::lock_guard<std::mutex> lock(c.mutex);
        c.shutdownRequested = false;
        c.restartRequested = false;
        c.exitCode = 0;
    }

    // Threading, heartbeat and watchdog suppressor, component environment.
    std::unique_ptr<CQFSystemConfigThreadConfigurator> setUpFramework(bool timerServer) {
        CQFThread::setCurrentName(mApp.mMainThreadName, false);
        CQFComponentInfo::setCurrent(QFComponentMap::findThreadOwner(mApp.mMainThreadName));
        auto configurator = std::make_unique<CQFSystemConfigThreadConfigurator>(mSystem.mGetThreadParam,
                                                                                mSystem.mThreadNames.size());
        if (failed(true, "cannot set up threading environment")) {
            stepError("cannot set up threading environment");
        } else {
            QFThreading::setConfigurator(configurator.get());
            configurator->getThreadIndex(mApp.mMainThreadName);
        }
        if (timerServer) {
            if (mOptions.heartbeatMs > 0 && failed(true, "cannot set up heartbeat facility")) {
                stepError("cannot set up heartbeat facility");
            }
            if (failed(true, "cannot set up watchdog startup suppressor")) {
                stepError("cannot set up watchdog startup suppressor");
            }
        }
        if (failed(true, "cannot set up component environment")) stepError("cannot set up component environment");
        return configurator;
    }

    // The controller, the watchdog, the registry and middleware, the trace thread, the PIQ
    // threads and the service threads.
    void startThreads(RoundThreads& t, int stopFd) {
        if (failed(true, "cannot install application controller")) stepError("cannot install application controller");
        logInfo("starting startup sequence");

        logInfo("starting watchdog thread");
        if (failed(stopFd >= 0 && startOwned(t.watchdog, [stopFd] { watchdogLoop(stopFd); }),
                   "cannot start watchdog thread")) {
            stepOSError("cannot start watchdog thread");
        }

        t.frame = std::make_unique<Frame>();
        t.frame->registry = mRegistry;
        t.frame->rootAddress = mApp.mRootAddress;
        if (gMiddleware) gMiddleware->mConfigure(mImports, mRegistry);

        if (!QFTrace::isDisabled()) {
            logInfo("initializing trace environment");
            const CQFComponentInfo* previous = CQFComponentInfo::getCurrent();
            CQFComponentInfo::setCurrent(QFComponentMap::findThreadOwner(mApp.mTraceThreadName));
            t.traceThread = QFTrace::startThread();
            CQFComponentInfo::setCurrent(previous);
            if (failed(t.traceThread, "cannot start trace thread")) stepError("cannot start trace thread");
        }

        trace("starting PIQ receiver thread");
        if (failed(true, "cannot create piqrcvMasterChannel")) stepOSError("cannot create piqrcvMasterChannel");
        if (failed(true, "cannot create piqrcvSubChannel")) stepOSError("cannot create piqrcvSubChannel");
        startPiqThreads(t);
        startServiceThreads(t);
    }

    // The sender starts both receivers; they serve once start-up has succeeded and end with
    // the sender, in this order.
    void startPiqThreads(RoundThreads& t) {
        trace("starting PIQ sender thread");
        const char* receiverName = mApp.mPIQReceiveThreadName;
        const char* tcpReceiverName = mApp.mPIQTCPReceiveThreadName;
        t.senderStarted = startOwned(t.sender, [&t, receiverName, tcpReceiverName] {
            CQFThread receiver(receiverName), tcpReceiver(tcpReceiverName);
            startOwned(receiver, [&t] {
                t.receiverGate.waitUnlocked();
                if (gMiddleware) gMiddleware->mServe();
                t.receiverGate.waitStopping();
            });
            startOwned(tcpReceiver, [&t] {
                t.tcpReceiverGate.waitUnlocked();
                t.tcpReceiverGate.waitStopping();
            });
            t.senderGate.waitStopping();
            if (gMiddleware) gMiddleware->mStop();
            t.tcpReceiverGate.set(t.tcpReceiverGate.stopping);
            tcpReceiver.join();
            t.receiverGate.set(t.receiverGate.stopping);
            receiver.join();
        });
        if (failed(t.senderStarted, "cannot start piq sender thread")) stepError("cannot start piq sender thread");
    }

    void startServiceThreads(RoundThreads& t) {
        trace("starting service threads");
        for (const SQFServiceRegistryEntry& entry : mRegistry) {
            if (entry.mAddress == mApp.mRootAddress) t.rootInRegistry = true;
        }
        kTrace.sendFormattedMessage("starting %s root component Root:%d %d", t.rootInRegistry ? "with" : "without",
                                    mApp.mRootAddress.mFirst, mApp.mRootAddress.mSecond);
        for (const SQFServiceThreadConfig& config : mApp.mServiceThreads) {
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
                stepError("cannot start service thread");
                continue;
            }
            if (component && component->getMapKey() == mApp.mRootAddress) t.frame->root = s;
            t.frame->serviceThreads.push_back(std::move(service));
        }
        std::lock_guard<std::mutex> lock(gFrameMutex);
        gFrame = t.frame.get();
    }

    // Boots the root component and waits until the application shuts down; true when it asked
    // for a restart.
    bool runApplication(RoundThreads& t, int restartCount) {
        trace("starting application");
        if (failed(QFOperatingSystem::setCurrentThreadPriority(QFOperatingSystem::sHighestPriority),
                   "cannot increase root thread priority")) {
            stepError("cannot increase root thread priority");
        }
        if (mError != 0) return false;
        // The test aid fails this step before the call: a boot cannot be taken back.
        if (forcedFailure("cannot startup application") ||
            QFApplication::startup(mApp.mRootAddress, restartCount, CQFBootParameter(mOptions.bootParameters), 2,
                                   t.rootInRegistry) != 0) {
            stepError("cannot startup application");
            return false;
        }
        t.receiverGate.set(t.receiverGate.unlocked);
        t.tcpReceiverGate.set(t.tcpReceiverGate.unlocked);
        trace("startup sequence finished. Waiting for shutdown/restart request");
        Controller& c = controller();
        std::unique_lock<std::mutex> lock(c.mutex);
        c.changed.wait(lock, [&c] { return c.shutdownRequested; });
        return c.restartRequested;
    }

    // The service threads, the PIQ threads, the trace thread and the watchdog, in this order.
    void stopThreads(RoundThreads& t, int stopWriteFd) {
        if (failed(QFOperatingSystem::setCurrentThreadPriority(QFOperatingSystem::sNormalPriority),
                   "cannot reduce thread priority of root thread")) {
            stepError("cannot reduce thread priority of root thread");
        }
        trace("starting shutdown sequence");
        trace("terminating service threads");
        {
            std::lock_guard<std::mutex> lock(gFrameMutex);
            gFrame = nullptr;
        }
        t.frame->serviceThreads.clear();
        trace("terminating piq sender thread");
        t.senderGate.set(t.senderGate.stopping);
        if (failed(!t.senderStarted || t.sender.join(), "cannot join piq sender thread")) {
            stepError("cannot join piq sender thread");
        }
        trace("terminating the TCP piq receiver thread");
        trace("terminating piq receiver thread");
        trace("terminating trace thread");
        if (t.traceThread) QFTrace::stopThread();
        trace("terminating watchdog thread");
        if (stopWriteFd >= 0) (void)!write(stopWriteFd, "x", 1);
        if (t.watchdog.isStarted() && failed(t.watchdog.join(), "cannot join watchdog thread")) {
            stepError("cannot join watchdog thread");
        }
        mCommBlocks.reset(new char[mCommBytes + 1]);
        trace("shutdown sequence finished");
    }

    void endProcess() {
        kTrace.sendFormattedMessage("terminating application with exit code %d", mError);
        QFSyslog::logMsg(0, 5, "terminating application with exit code %d", mError);
        signal(SIGTERM, SIG_DFL);
        for (int& fd : gSignalPipe) {
            if (fd >= 0) close(fd);
            fd = -1;
        }
    }

    const SQFSystemConfig& mSystem;
    const SQFApplicationConfig& mApp;
    const std::vector<SQFServiceRegistryEntry>& mRegistry;
    const std::vector<SQFPIQImportEntry>& mImports;
    Options mOptions;
    size_t mCommBytes = 0;
    std::unique_ptr<char[]> mCommBlocks;
    int mError = 0;
};

}  // namespace

int execPIQSingleProcess(const SQFSystemConfig& system, const SQFApplicationConfig& app,
                         const std::vector<SQFServiceRegistryEntry>& registry,
                         const std::vector<SQFPIQImportEntry>& imports) {
    return StartupSequence(system, app, registry, imports).run();
}
