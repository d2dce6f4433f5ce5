#include "CDorerShellMain.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "CDorerShellCommandComponentConnected.h"
#include "CDorerShellCommandExit.h"
#include "CDorerShellCommandGetLastStoredChangeId.h"
#include "CDorerShellCommandGetState.h"
#include "CDorerShellCommandHelp.h"
#include "CDorerShellCommandOut.h"
#include "CDorerShellCommandStore.h"
#include "CDorerShellCommandSwitchState.h"
#include "CDorerShellCommandUnknown.h"
#include "CDorerShellMarks.h"
#include "CDorerShellNotificationConsumer.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellMain");
constexpr int kJobPriority = 127;

}  // namespace

CDorerShellMain::CDorerShellMain(const CQFString& state, bool connect, bool help, bool exitOnError,
                                 uint32_t connectWaitMs)
    : mConnect(connect), mHelp(help), mExitOnError(exitOnError),
      mConnectWaitMs(isatty(STDIN_FILENO) ? 0 : connectWaitMs) {
    CQFEvent::addListener<CDorerShellWriteEvent>(this);
    CQFEvent::addListener<CDorerShellReadEvent>(this);
    mConsumer.reset(new CDorerShellNotificationConsumer(*this));
    mMarks.reset(new CDorerShellMarks);
    CDorerShellCommand::sConsumer = mConsumer.get();
    CDorerShellCommand::setMarks(mMarks.get());

    queue(new CDorerShellCommandHelp(CDorerShellCommandHelp::eBanner));
    if (mConnect) queueConnect();
    if (mHelp) queueListing();
    if (!state.isEmpty()) queue(new CDorerShellCommandSwitchState(state));
}

CDorerShellMain::~CDorerShellMain() {
    CQFEvent::removeListener<CDorerShellWriteEvent>(this);
    CQFEvent::removeListener<CDorerShellReadEvent>(this);
    mWorker.reset();
    mCommands.clear();
    mOutFile.close();
    CDorerShellCommand::releaseClientStore();
    CDorerShellCommand::sConsumer = nullptr;
    CDorerShellCommand::setMarks(nullptr);
}

void CDorerShellMain::queueListing() {
    std::vector<CDorerShellCommandHelp::SEntry> commands;
    for (auto* c = NDorerShellCommandTable::begin(); c != NDorerShellCommandTable::end(); ++c) {
        commands.push_back({c->mKeyword, c->mCaption});
    }
    queue(new CDorerShellCommandHelp(CDorerShellCommandHelp::eListing, commands));
}

CQFJobExecutor& CDorerShellMain::worker() {
    if (!mWorker) mWorker.reset(new CQFJobExecutor("DorerShellFileIOWorkerThread", true));
    return *mWorker;
}

void CDorerShellMain::stopWorker() {
    if (!mWorker) return;
    mWorker->cancelAll();
    mWorker->stop();
}

void CDorerShellMain::processNextCommand() {
    if (mCommands.empty() && mExitOnError && !CDorerShellCommand::getErrors().empty()) queueExit();
    if (!mCommands.empty()) {
        // The reference keeps the command alive while it runs, also when it reports
        // completion from inside start() and leaves the queue.
        TDorerShellCommandRef command = mCommands.front();
        mCommandRunning = true;
        command->prepare();
        command->start();
        return;
    }
    std::printf("%s", "\nsyset:>");
    std::fflush(stdout);
    mLastJobId = worker().execute(new CDorerShellReadJob, kJobPriority);
}

void CDorerShellMain::commandFinished(bool ok) {
    // A late report (an answer after its command gave up, a disconnection) while the result of
    // the last command is being written must not finish the next one before it has started.
    if (mCommands.empty() || !mCommandRunning) return;
    mCommandRunning = false;
    TDorerShellCommandRef command = mCommands.front();
    command->finish();
    const CDorerShellResult result = command->getResult();
    ok = command->confirmCompletion(ok);
    mLastJobId = worker().execute(new CDorerShellWriteJob(result, ok, mOutFile), kJobPriority);
    mCommands.pop_front();
}

void CDorerShellMain::processEvent(CDorerShellWriteEvent& event) {
    CQFTraceScope(kScope, "processEvent")
        .sendFormattedMessage("CDorerShellMain::%s() : output %s", "processEvent", event.mSuccess ? "Success" : "Failed");
    processNextCommand();
}

void CDorerShellMain::processEvent(CDorerShellReadEvent& event) {
    const SDorerShellParseResult& res = event.mResult;
    if (!res.mCommand) {
        queue(new CDorerShellCommandUnknown());
    } else {
        const CQFTraceScope trace(kScope, "processEvent");
        if (trace.isEnabled()) {
            trace.sendFormattedMessage("CDorerShellMain::%s() : res.mCommand.mKeyword = <%s>\n", "processEvent",
                                       res.mCommand->mKeyword);
            trace.sendFormattedMessage("CDorerShellMain::%s() : res.mCommand.mCaption = <%s>\n", "processEvent",
                                       res.mCommand->mCaption);
            trace.sendFormattedMessage("CDorerShellMain::%s() : res.mStrArg = <%s>\n", "processEvent",
                                       res.mStrArg.getCString());
            trace.sendFormattedMessage("CDorerShellMain::%s() : res.mIntArg = <0x%x>\n", "processEvent", res.mIntArg);
            trace.sendFormattedMessage("CDorerShellMain::%s() : res.mData   = <%s>\n", "processEvent",
                                       res.mData.getCString());
        }
        res.mCommand->mQueue(*this, res);
    }
    processNextCommand();
}

void CDorerShellMain::queueSetState(const CQFString& state) {
    queue(new CDorerShellCommandSwitchState(state));
    queue(new CDorerShellCommandGetState());
    if (mPendingStoreCheck) {
        // A store outside "FullyOperable" is sent when the state becomes so: wait for
        // the stored change id it brings, unless it is reported stored already (by a
        // server that wrote it when it started).
        {
            CDorerShellSharedDataLock lock;
            const bool stored = CDorerShellCommand::sPendingChangeId != -1 &&
                                CDorerShellCommand::sLastStoredChangeId >= CDorerShellCommand::sPendingChangeId;
            CDorerShellMarks* marks = lock.getMarks();
            if (marks && !stored) marks->registerMark(eDorerAttributeLastStoredChangeID, 0);
        }
        queue(new CDorerShellCommandGetLastStoredChangeId());
        mPendingStoreCheck = false;
    }
}

void CDorerShellMain::queueStore() {
    queue(new CDorerShellCommandStore());
    mPendingStoreCheck = CDorerShellCommand::sCurrentState != "FullyOperable";
}

void CDorerShellMain::queueConnect() {
    queue(new CDorerShellCommandComponentConnected(mConnectWaitMs));
    queue(new CDorerShellCommandGetState());
}

void CDorerShellMain::queueExit() {
    stopWorker();
    queue(new CDorerShellCommandExit());
}

void CDorerShellMain::queueOut(const CQFString& path) {
    CQFPath newPath(path);
    newPath.canonify();
    queue(new CDorerShellCommandOut(mOutPath, newPath, mOutFile));
    mOutPath = newPath;
}
