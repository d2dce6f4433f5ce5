// sysetsrv: starts, stops or restarts the settings server process "sysetsrvora" (found on
// PATH). Only a server this shell started is recorded, and only that one can be stopped.
#pragma once

#include "CDorerShellCommand.h"

class CDorerShellCommandSysetsrv : public CDorerShellCommand {
public:
    enum EAction { eStart = 0, eStop = 1, eRestart = 2, eOther = 3 };

    // action is matched exactly ("start", "stop", "restart"); arguments go to the server,
    // split at spaces.
    CDorerShellCommandSysetsrv(const CQFString& action, const CQFString& arguments);
    void start() override;

    // Stops the recorded server: SIGTERM, then waits for its end. False when none is recorded.
    static bool stopServer();

private:
    void startServer();

    EAction mAction;
    CQFString mArguments;
};
