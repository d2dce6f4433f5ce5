// check: compares an item with an expected value.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_CHECK".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandCheck : public CDorerShellCommand {
public:
    CDorerShellCommandCheck(const CQFString& name, const CQFString& expected) : mName(name), mExpected(expected) {}
    void start() override;

private:
    CQFString mName;
    CQFString mExpected;
};
