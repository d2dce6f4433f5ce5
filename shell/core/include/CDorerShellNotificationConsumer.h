// The consumer of the settings service's answers: proxy connections, the OnOff and Admin
// answers and attribute updates, and the store client's two callbacks. Each report stores its
// data in the service data the commands share, closes the mark it answers, and asks whether
// the running command is complete (triggerAction): when no mark is left the interpreter
// finishes it. The timer "TriggerNewState" ends a sequence whose last report does not come
// (30 s after a state-trigger response, 10 s after a store response).
//
// One per process, created by the interpreter on the component thread; every handler runs
// there.
#pragma once

#include <cstdint>

#include "CDSYSDorerAdminEvents.h"
#include "CDSYSOnOffEvents.h"
#include "IDorerShellCompletionListener.h"
#include "IzoqDorerClientListeners.h"
#include "piq/CQFProxyBase.h"
#include "qf/CQFTimer.h"

class CDorerShellNotificationConsumer : public IQFTimerConsumer {
public:
    explicit CDorerShellNotificationConsumer(IDorerShellCompletionListener& owner);
    // Gives back the Admin and OnOff proxies and clears them.
    ~CDorerShellNotificationConsumer() override;
    CDorerShellNotificationConsumer(const CDorerShellNotificationConsumer&) = delete;
    CDorerShellNotificationConsumer& operator=(const CDorerShellNotificationConsumer&) = delete;

    virtual void onTimer();
    // Under the shared-data lock: with a mark outstanding, nothing happens; otherwise the
    // timer stops, the lock is released and the owner's commandFinished(ok) is called, with
    // ok false when a step of the sequence failed before.
    virtual void triggerAction(bool ok);
    virtual void componentConnected(CQFProxyBase* proxy);
    virtual void componentDisconnected(CQFProxyBase* proxy);
    virtual void onLastStoredChangeId(int32_t changeId);
    virtual void responseStoredChange(int32_t cookie, int32_t changeId);
    void processEvent(CDSYSOnOffNotificationEvent& event);
    void processEvent(CDSYSDorerAdminNotificationEvent& event);
    void processTimer(CQFTimer&) override { onTimer(); }

    // The parts handed to proxies and the store client.
    IQFProxyConnectListener* getConnectListener() { return &mConnectListener; }
    IzoqDorerClientStoreListener* getStoreListener() { return &mStoreListener; }
    IDSYSOnOffConsumer* getOnOffConsumer() { return &mOnOffConsumer; }
    IDSYSDorerAdminConsumer* getAdminConsumer() { return &mAdminConsumer; }

private:
    class CConnectListener : public IQFProxyConnectListener {
    public:
        explicit CConnectListener(CDorerShellNotificationConsumer& owner) : mOwner(owner) {}
        void componentConnected(CQFProxyBase* proxy) override { mOwner.componentConnected(proxy); }
        void componentDisconnected(CQFProxyBase* proxy) override { mOwner.componentDisconnected(proxy); }

    private:
        CDorerShellNotificationConsumer& mOwner;
    };
    class CStoreListener : public IzoqDorerClientStoreListener {
    public:
        explicit CStoreListener(CDorerShellNotificationConsumer& owner) : mOwner(owner) {}
        void onLastStoredChangeId(int32_t changeId) override { mOwner.onLastStoredChangeId(changeId); }
        void responseStoredChange(int32_t cookie, int32_t changeId) override {
            mOwner.responseStoredChange(cookie, changeId);
        }

    private:
        CDorerShellNotificationConsumer& mOwner;
    };
    class COnOffConsumer : public IDSYSOnOffConsumer {
    public:
        explicit COnOffConsumer(CDorerShellNotificationConsumer& owner) : mOwner(owner) {}
        void processEvent(CDSYSOnOffNotificationEvent& event) override { mOwner.processEvent(event); }

    private:
        CDorerShellNotificationConsumer& mOwner;
    };
    class CAdminConsumer : public IDSYSDorerAdminConsumer {
    public:
        explicit CAdminConsumer(CDorerShellNotificationConsumer& owner) : mOwner(owner) {}
        void processEvent(CDSYSDorerAdminNotificationEvent& event) override { mOwner.processEvent(event); }

    private:
        CDorerShellNotificationConsumer& mOwner;
    };

    CConnectListener mConnectListener{*this};
    CStoreListener mStoreListener{*this};
    COnOffConsumer mOnOffConsumer{*this};
    CAdminConsumer mAdminConsumer{*this};
    IDorerShellCompletionListener& mOwner;
    CQFTimer mTimer{this, "TriggerNewState"};
    // A step of the running sequence failed (the server refused it): the sequence ends failed.
    bool mSequenceFailed = false;
};
