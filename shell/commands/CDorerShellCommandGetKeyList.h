// keylist: the custom keys matching a pattern.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_GETKEYLIST".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandGetKeyList : public CDorerShellCommand {
public:
    explicit CDorerShellCommandGetKeyList(const CQFString& pattern) : mPattern(pattern) {}
    void start() override;

private:
    CQFString mPattern;
};
