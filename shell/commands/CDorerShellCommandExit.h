// exit: gives back the service proxies, stops a settings server this shell started and ends
// the application, with exit status 1 when errors were recorded and 0 otherwise. It never
// reports completion.
#pragma once

#include "CDorerShellCommand.h"

class CDorerShellCommandExit : public CDorerShellCommand {
public:
    void start() override;
};
