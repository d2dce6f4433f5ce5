// storageinfo: the server's storage partitions.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_GETSTORAGEINFO".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandStorageInfo : public CDorerShellCommand {
public:
    CDorerShellCommandStorageInfo() {}
    void start() override;
};
