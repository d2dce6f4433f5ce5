// The consumer of the settings service's answers. It closes marks as answers arrive and
// forwards a command's completion to the interpreter only when no mark is left.
// This is its action-listener part (triggerAction); the service handlers (connection,
// notifications, store client, "TriggerNewState" timer) join it with the service client.
#pragma once

class CDorerShellMain;

class CDorerShellNotificationConsumer {
public:
    explicit CDorerShellNotificationConsumer(CDorerShellMain& owner) : mOwner(owner) {}
    virtual ~CDorerShellNotificationConsumer() = default;

    // Under the shared-data lock: with a mark outstanding, nothing happens; otherwise the
    // lock is released and the owner's commandFinished(ok) is called.
    virtual void triggerAction(bool ok);

private:
    CDorerShellMain& mOwner;
};
