// sysetsrv: starts, stops or restarts the settings server.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records "ERRCLN_FAILED_SYSETSRV".
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandSysetsrv : public CDorerShellCommand {
public:
    CDorerShellCommandSysetsrv(const CQFString& action, const CQFString& arguments) : mAction(action), mArguments(arguments) {}
    void start() override;

private:
    CQFString mAction;
    CQFString mArguments;
};
