// sh: runs an operating-system command through the system's command interpreter and waits
// for it. Its output goes straight to standard output, never into an out file; its exit
// status is not looked at.
#pragma once

#include "CDorerShellCommand.h"

class CDorerShellCommandShell : public CDorerShellCommand {
public:
    CDorerShellCommandShell(const CQFString& command, const CQFString& arguments) : mCommand(command), mArguments(arguments) {}
    void start() override;

private:
    CQFString mCommand;
    CQFString mArguments;
};
