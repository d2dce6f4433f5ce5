// reload: has the settings server reload its storage.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_GETRELOAD".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandReload : public CDorerShellCommand {
public:
    CDorerShellCommandReload() {}
    void start() override;
};
