// connect: connects to the settings service.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records nothing.
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandComponentConnected : public CDorerShellCommand {
public:
    CDorerShellCommandComponentConnected() {}
    void start() override;
};
