// adjlist: the adjust items matching a pattern.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_GETADJLIST".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandGetAdjList : public CDorerShellCommand {
public:
    explicit CDorerShellCommandGetAdjList(const CQFString& pattern) : mPattern(pattern) {}
    void start() override;

private:
    CQFString mPattern;
};
