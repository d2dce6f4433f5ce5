// seta: changes an adjust item in the pending-change cache.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_SETADJ".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandSetAdj : public CDorerShellCommand {
public:
    CDorerShellCommandSetAdj(const CQFString& name, uint32_t id, const CQFString& value) : mName(name), mId(id), mValue(value) {}
    void start() override;

private:
    CQFString mName;
    uint32_t mId;
    CQFString mValue;
};
