// The command interpreter: prompts, has lines read on the worker thread, turns them into
// command objects, runs them one after another and has their results written.
#pragma once

#include <deque>
#include <memory>

#include "CDorerShellCommand.h"
#include "CDorerShellIO.h"
#include "IDorerShellCompletionListener.h"
#include "qf/CQFFileHandle.h"
#include "qf/CQFJobExecutor.h"
#include "qf/CQFPath.h"

class CDorerShellMarks;
class CDorerShellNotificationConsumer;

class CDorerShellMain : public IQFEventConsumer<CDorerShellWriteEvent>,
                        public IQFEventConsumer<CDorerShellReadEvent>,
                        public IDorerShellCompletionListener {
public:
    // How long connect waits for the services when standard input is not a terminal.
    static constexpr uint32_t kDefaultConnectWaitMs = 10000;

    // Runs on the component thread. Fills the start-up queue: the banner; connect and
    // getstate when connect is set; the listing when help is set; a state switch when
    // state is not empty. connectWaitMs bounds connect's wait for the services when standard
    // input is not a terminal (0: no bound); at a terminal connect waits for ever.
    CDorerShellMain(const CQFString& state, bool connect, bool help, bool exitOnError,
                    uint32_t connectWaitMs = kDefaultConnectWaitMs);
    ~CDorerShellMain() override;
    CDorerShellMain(const CDorerShellMain&) = delete;
    CDorerShellMain& operator=(const CDorerShellMain&) = delete;

    // Called by the notification consumer when the running command is complete.
    void commandFinished(bool ok) override;
    void processEvent(CDorerShellWriteEvent& event) override;
    void processEvent(CDorerShellReadEvent& event) override;

    // Starts the front command, ends the shell after an error (exit-on-error), or prompts
    // and has the next line read.
    void processNextCommand();

    // What the command table's rows queue a line's commands with.
    void queue(CDorerShellCommand* command) { mCommands.push_back(TDorerShellCommandRef(command)); }
    // "?": the usage text and the command table's listing.
    void queueListing();
    // setstate: the switch, then getstate; after a store entered outside "FullyOperable", also
    // the wait for the stored change id that the switch brings.
    void queueSetState(const CQFString& state);
    // store; remembers whether it was entered outside "FullyOperable".
    void queueStore();
    // connect, then getstate.
    void queueConnect();
    // exit: the worker stops, so no further line is read.
    void queueExit();
    // out: the canonical form of path becomes the output path at once.
    void queueOut(const CQFString& path);

private:
    void stopWorker();
    CQFJobExecutor& worker();

    bool mConnect;
    bool mHelp;
    bool mExitOnError;
    uint32_t mConnectWaitMs;
    bool mPendingStoreCheck = false;
    bool mCommandRunning = false;  // the front command has started and not yet completed
    std::deque<TDorerShellCommandRef> mCommands;
    std::unique_ptr<CQFJobExecutor> mWorker;
    int mLastJobId = 0;
    CQFFileHandle mOutFile;
    CQFPath mOutPath;
    std::unique_ptr<CDorerShellNotificationConsumer> mConsumer;
    std::unique_ptr<CDorerShellMarks> mMarks;
};
