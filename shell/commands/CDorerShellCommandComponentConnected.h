// connect: creates the Admin and OnOff proxies that are not connected and waits until both
// services are connected and the operating state is known. With both connected already it has
// nothing to wait for and completes at once.
#pragma once

#include "CDorerShellCommand.h"

class CDorerShellCommandComponentConnected : public CDorerShellCommand {
public:
    void start() override;
};
