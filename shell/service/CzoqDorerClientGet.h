// The get client: follows the change id of the shared settings page and keeps the data
// accessor (and with it the pending-change cache) of the shell. The base part of the store
// client.
#pragma once

#include <cstdint>
#include <vector>

#include "CDSYSDorerClientGetEvents.h"
#include "CDorerClientDataAccessor.h"
#include "IzoqDorerClientListeners.h"
#include "piq/CQFProxyBase.h"
#include "qf/CQFMutex.h"

class CDSYSDorerClientGetProxy;

class CzoqDorerClientGet : public IzoqDorerClientGetListener {
public:
    // Creates the get proxy (role "DorerPageProxy") and the data accessor on the page named
    // by DORER_PAGE / DORER_PAGELOCK (default "/sysetpage", "/sysetpage-lock").
    CzoqDorerClientGet();
    ~CzoqDorerClientGet() override;
    CzoqDorerClientGet(const CzoqDorerClientGet&) = delete;
    CzoqDorerClientGet& operator=(const CzoqDorerClientGet&) = delete;

    // A change-id listener (null and duplicates are ignored); removing clears its slot.
    virtual void addListener(IzoqDorerClientGetListener* listener);
    virtual void removeListener(IzoqDorerClientGetListener* listener);
    virtual void componentConnected(CQFProxyBase* proxy);
    virtual void componentDisconnected(CQFProxyBase* proxy);
    virtual void processEvent(CDSYSDorerClientGetNotificationEvent& event);
    // The get client itself listens to nothing.
    void onChangeId(int32_t) override {}

    CDorerClientDataAccessor* getDataAccessor() const { return mAccessor.get(); }
    uint32_t getClientKey() const { return mClientKey; }
    CDSYSDorerClientGetProxy* getGetProxy() const { return mGetProxy; }

protected:
    // Connection reports of both clients' proxies come here.
    class CConnectListener : public IQFProxyConnectListener {
    public:
        explicit CConnectListener(CzoqDorerClientGet& owner) : mOwner(owner) {}
        void componentConnected(CQFProxyBase* proxy) override { mOwner.componentConnected(proxy); }
        void componentDisconnected(CQFProxyBase* proxy) override { mOwner.componentDisconnected(proxy); }

    private:
        CzoqDorerClientGet& mOwner;
    };

    CConnectListener mConnectListener{*this};
    TQFRef<CDorerClientDataAccessor> mAccessor;
    uint32_t mClientKey = 0xFFFFFFFFu;

private:
    class CGetConsumer : public IDSYSDorerClientGetConsumer {
    public:
        explicit CGetConsumer(CzoqDorerClientGet& owner) : mOwner(owner) {}
        void processEvent(CDSYSDorerClientGetNotificationEvent& event) override { mOwner.processEvent(event); }

    private:
        CzoqDorerClientGet& mOwner;
    };

    CGetConsumer mGetConsumer{*this};
    std::vector<IzoqDorerClientGetListener*> mListeners;  // a removed listener leaves null
    CDSYSDorerClientGetProxy* mGetProxy = nullptr;
    bool mSubscribed = false;
    CQFMutex mMutex;
};
