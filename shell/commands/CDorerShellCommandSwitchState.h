// setstate: asks the settings service for an operating state (the text as typed) and waits
// for its answer and the state update that follows (or the consumer's timer).
//
// A switch the server refuses ends as a failure, at once, with the error line of "TRIGGER
// STATE FAILED" and "ERRCLN_FAILED_SETSTATE".
//
// When the request cannot be answered (not sent, the service went away, or no answer within
// the time limit) the command ends with the error line of "TRIGGER STATE FAILED" or "PROXY
// DISCONNECTED", records "ERRCLN_FAILED_SETSTATE" and releases its marks, including the wait
// for a stored change id that the interpreter registered for it.
#pragma once

#include <cstdint>

#include "CDorerShellServiceCommand.h"

class CDorerShellCommandSwitchState : public CDorerShellServiceCommand {
public:
    explicit CDorerShellCommandSwitchState(const CQFString& state) : mState(state) {}
    void start() override;
    void finish() override;
    // A switch the server refused ends failed and records "ERRCLN_FAILED_SETSTATE".
    bool confirmCompletion(bool reportedOk) override;

private:
    void onAnswerMissing() override;
    void failDisconnected(const std::vector<eMarkType>& marks);

    CQFString mState;
    int32_t mSequenceNumber = -1;
};
