// setstate: asks the settings service for another operating state.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_SETSTATE".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandSwitchState : public CDorerShellCommand {
public:
    explicit CDorerShellCommandSwitchState(const CQFString& state) : mState(state) {}
    void start() override;

private:
    CQFString mState;
};
