// store: sends the pending changes to the settings service.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_STORE".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandStore : public CDorerShellCommand {
public:
    CDorerShellCommandStore() {}
    void start() override;
};
