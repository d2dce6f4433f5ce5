// connect: creates the Admin and OnOff proxies that are not connected and waits until both
// services are connected and the operating state is known. With both connected already and the
// state known it has nothing to wait for and completes at once.
//
// The wait is bounded when a limit is given (a script must not hang for want of a server):
// once it passes, connect prints the disconnected error, records "ERRCLN_FAILED_CONNECT" and
// gives up its marks; the proxies stay and connect by themselves when the service comes.
// Without a limit it waits for ever and says once on standard error that it is waiting.
#pragma once

#include <cstdint>
#include <memory>

#include "CDorerShellCommand.h"
#include "qf/CQFTimer.h"

class CDorerShellCommandComponentConnected : public CDorerShellCommand, private IQFTimerConsumer {
public:
    // limitMs: how long to wait for the services; 0: for ever.
    explicit CDorerShellCommandComponentConnected(uint32_t limitMs = 0) : mLimitMs(limitMs) {}
    void start() override;
    bool confirmCompletion(bool reportedOk) override { return reportedOk && !mGaveUp; }

private:
    void processTimer(CQFTimer& timer) override;

    uint32_t mLimitMs;
    std::unique_ptr<CQFTimer> mTimer;
    bool mGaveUp = false;
};
