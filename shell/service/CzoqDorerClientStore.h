// The store client: puts the shell's changed items into the pending-change cache, sends them
// to the settings service in one store request and tracks them until the server reports them
// stored (its stored change id reaches theirs). A change set the server has not confirmed
// stored when the service goes away becomes pending again, so that the next store sends it:
// the page of a restarted server may lack it. One per process, created with the first command
// object, on the component thread.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "CDSYSDorerClientStoreEvents.h"
#include "CzoqDorerClientGet.h"
#include "IzoqDorerClientListeners.h"
#include "qf/CQFBuffer.h"
#include "qf/CQFMutex.h"

class CDSYSDorerClientStoreProxy;

class CzoqDorerClientStore : public CzoqDorerClientGet {
public:
    // Creates the store proxy (role "DorerSrv") beside the base part's get proxy.
    CzoqDorerClientStore();
    ~CzoqDorerClientStore() override;

    using CzoqDorerClientGet::addListener;
    using CzoqDorerClientGet::processEvent;
    using CzoqDorerClientGet::removeListener;
    // A stored-change-id listener (null and duplicates are ignored).
    virtual void addListener(IzoqDorerClientStoreListener* listener);
    // Clears its slot and drops the pending responses it waits for (null is ignored).
    virtual void removeListener(IzoqDorerClientStoreListener* listener);
    // Sends the pending changes; the cookie of the request, or -1 (not connected, nothing
    // sent, the cache unchanged). The listener hears responseStoredChange with the cookie.
    virtual int32_t requestStoreChange(IzoqDorerClientStoreListener* listener);
    void componentConnected(CQFProxyBase* proxy) override;
    void componentDisconnected(CQFProxyBase* proxy) override;
    virtual void processEvent(CDSYSDorerClientStoreNotificationEvent& event);
    // A change set is released once both the page's change id (reads then find its values
    // there) and the stored change id (the server has written it) have reached its own.
    void onChangeId(int32_t changeId) override;
    void releaseStored(int32_t storedChangeId);
    // The request of the cookie will not be followed up (no answer came, or the server did
    // not store it): its change set becomes pending again; a late answer changes nothing.
    void giveUpStoreChange(int32_t cookie);

    // The store proxy exists and is connected.
    bool isConnected() const;
    // Puts a value into the pending set: 0 done; 1 no data accessor, an unknown id or a
    // mirror key; 2 the value does not fit the item.
    int setItem(uint32_t itemId, const CQFBuffer& value);
    CDSYSDorerClientStoreProxy* getStoreProxy() const { return mStoreProxy; }

private:
    class CStoreConsumer : public IDSYSDorerClientStoreConsumer {
    public:
        explicit CStoreConsumer(CzoqDorerClientStore& owner) : mOwner(owner) {}
        void processEvent(CDSYSDorerClientStoreNotificationEvent& event) override { mOwner.processEvent(event); }

    private:
        CzoqDorerClientStore& mOwner;
    };

    uint32_t changeSetId(int32_t cookie) const;
    IzoqDorerClientStoreListener* pendingListener(int32_t cookie);
    void processResponseStore(CDSYSDorerClientStoreNotificationEvent& event);
    void processStoredChangeId();
    void releaseUpTo(int32_t changeId);
    bool isSent(int32_t cookie);
    void reopen(int32_t cookie);

    CStoreConsumer mStoreConsumer{*this};
    std::vector<IzoqDorerClientStoreListener*> mStoreListeners;  // a removed listener leaves null
    CDSYSDorerClientStoreProxy* mStoreProxy = nullptr;
    bool mStoreSubscribed = false;
    CQFMutex mStoreMutex;
    std::vector<std::pair<int32_t, IzoqDorerClientStoreListener*>> mPendingResponses;  // sorted by cookie
    std::vector<std::pair<int32_t, int32_t>> mAwaitedChangeIds;  // {cookie, change id}, sorted by cookie
    std::vector<int32_t> mSentCookies;  // requests whose change sets are sent, not yet stored; sorted
    int32_t mPageChangeId = -1;          // the last change id the page showed
    int32_t mStoredChangeId = -1;        // the last stored change id reported
};
