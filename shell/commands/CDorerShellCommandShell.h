// sh: runs an operating-system command.
// Not available in this build yet: start() fails with code 11 ("INVALID") and records nothing.
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"

class CDorerShellCommandShell : public CDorerShellCommand {
public:
    CDorerShellCommandShell(const CQFString& command, const CQFString& arguments) : mCommand(command), mArguments(arguments) {}
    void start() override;

private:
    CQFString mCommand;
    CQFString mArguments;
};
