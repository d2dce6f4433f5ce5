// lastres: reports the recorded error identifiers after a prefix ("OK" when there are none)
// and empties the list. With a connected Admin proxy the server's action log is read first,
// so that the server's own failures are in the list.
//
// Without the action log (no Admin connection: "PROXY DISCONNECTED"; the request not sent,
// the service gone or no answer in time: "ADMINISTRATION REQUEST FAILED") the list is still
// reported and emptied, on the error line of that code.
#pragma once

#include "CDorerShellServiceCommand.h"

class CDorerShellCommandLastResult : public CDorerShellServiceCommand {
public:
    explicit CDorerShellCommandLastResult(const CQFString& prefix) : mPrefix(prefix) {}
    void prepare() override;
    void start() override;
    void finish() override;

private:
    void onAnswerMissing() override { mResult = CDorerShellResult(eShellAdminRequestFailed, CQFString()); }

    CQFString mPrefix;
};
