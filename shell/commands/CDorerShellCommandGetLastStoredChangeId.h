// getlast: the last stored change id the shell has heard of. It completes at once unless
// marks are outstanding (after a setstate that waits for a stored change id).
#pragma once

#include "CDorerShellCommand.h"

class CDorerShellCommandGetLastStoredChangeId : public CDorerShellCommand {
public:
    void start() override;
    void finish() override;
};
