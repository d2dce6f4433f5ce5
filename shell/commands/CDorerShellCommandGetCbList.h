// caflist: the coding data matching a filter.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_GETCBLIST".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandGetCbList : public CDorerShellCommand {
public:
    explicit CDorerShellCommandGetCbList(const CQFString& pattern) : mPattern(pattern) {}
    void start() override;

private:
    CQFString mPattern;
};
