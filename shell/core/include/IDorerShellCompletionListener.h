// Told that the running command is complete: the interpreter, which then finishes the command
// and has its result written. The notification consumer calls it once no mark is left.
#pragma once

class IDorerShellCompletionListener {
public:
    virtual ~IDorerShellCompletionListener() = default;
    // ok: the command's sequence succeeded.
    virtual void commandFinished(bool ok) = 0;
};
