// versioninfo: compiled and stored versions.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_GETVERSIONINFO".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandVersionInfo : public CDorerShellCommand {
public:
    CDorerShellCommandVersionInfo() {}
    void start() override;
};
