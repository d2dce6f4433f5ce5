// getk / dumpk: a custom key's value.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_GETKEY".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandGetKey : public CDorerShellCommand {
public:
    CDorerShellCommandGetKey(const CQFString& name, uint32_t id, bool dump) : mName(name), mId(id), mDump(dump) {}
    void start() override;

private:
    CQFString mName;
    uint32_t mId;
    bool mDump;
};
