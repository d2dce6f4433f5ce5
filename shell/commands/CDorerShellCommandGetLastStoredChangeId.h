// getlast: the last stored change id.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_GETLASTSTOREDCHANGEID".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandGetLastStoredChangeId : public CDorerShellCommand {
public:
    CDorerShellCommandGetLastStoredChangeId() {}
    void start() override;
};
