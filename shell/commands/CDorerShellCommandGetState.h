// getstate: the settings service's operating state.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_GETSTATE".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandGetState : public CDorerShellCommand {
public:
    CDorerShellCommandGetState() {}
    void start() override;
};
