// getstate: the operating state of the settings service as the shell last heard it.
#pragma once

#include "CDorerShellCommand.h"

class CDorerShellCommandGetState : public CDorerShellCommand {
public:
    void start() override;
};
