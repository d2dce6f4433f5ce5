// store: sends every pending change to the settings service in one store request and reports
// the change id the server accepted them under and, in "FullyOperable", the last stored one.
//
// A store that cannot be answered (the request was not sent, the service went away, or no
// answer came within the time limit) ends as an error and leaves its changes pending, so that
// the next store sends them again. So does a store the server refused, and one in
// "FullyOperable" whose changes the server did not report stored before the wait ended: its
// usual lines go on the error line of "INVALID" and "ERRCLN_FAILED_STORE" is recorded.
#pragma once

#include "CDorerShellServiceCommand.h"
#include "IzoqDorerClientListeners.h"

class CDorerShellCommandStore : public CDorerShellServiceCommand {
public:
    ~CDorerShellCommandStore() override;
    void prepare() override;
    void start() override;
    void finish() override;
    bool confirmCompletion(bool reportedOk) override { return CDorerShellServiceCommand::confirmCompletion(reportedOk) && !mNotStored; }

private:
    // Hears the answer to the request before the notification consumer does, to tell a store
    // the server refused from one whose service went away (both read as change id -1).
    class CAnswerListener : public IzoqDorerClientStoreListener {
    public:
        explicit CAnswerListener(CDorerShellCommandStore& owner) : mOwner(owner) {}
        void onLastStoredChangeId(int32_t) override {}  // the consumer hears it itself
        void responseStoredChange(int32_t cookie, int32_t changeId) override;

    private:
        CDorerShellCommandStore& mOwner;
    };

    void onAnswerMissing() override;
    // Ends the store as failed: code 1 without a connection, else code 11; the data stays.
    void fail(const CQFString& data);
    static bool isFullyOperable();

    CAnswerListener mAnswerListener{*this};
    bool mWaitsForStorage = false;  // stored in "FullyOperable": the stored change id is awaited
    bool mNotStored = false;        // refused, or not reported stored in time
};
