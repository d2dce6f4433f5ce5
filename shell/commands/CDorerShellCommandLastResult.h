// lastres: reports the recorded error identifiers after a prefix ("OK" when there are none)
// and empties the list. The server's action log is read first when the Admin proxy is
// connected; this build has no Admin proxy yet, so the list is shown as an error line of
// code 1 ("PROXY DISCONNECTED") whose text is the prefix and the list.
#pragma once

#include "CDorerShellCommand.h"

class CDorerShellCommandLastResult : public CDorerShellCommand {
public:
    explicit CDorerShellCommandLastResult(const CQFString& prefix) : mPrefix(prefix) {}
    void prepare() override;
    void start() override;
    void finish() override;

private:
    CQFString mPrefix;
};
