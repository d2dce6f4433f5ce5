// The proxy of DSYSDorerClientStore: the stored change id (cached) and the store request.
#pragma once

#include <vector>

#include "CDSYSDorerClientStoreEvents.h"
#include "TDorerProxy.h"

class CDSYSDorerClientStoreProxy
    : public TDorerProxy<CDSYSDorerClientStoreProxy, CDSYSDorerClientStoreRequestEvent,
                         CDSYSDorerClientStoreResponseEvent, CDSYSDorerClientStoreNotificationEvent,
                         eDorerProxyAttributes> {
public:
    static constexpr const char* kInterfaceName = DSYSDorerClientStore::kInterfaceName;
    static constexpr const char* kClassText = " CDSYSDorerClientStoreProxy";
    static constexpr const char* kSourceName = "CDSYSDorerClientStoreProxy";
    static const SQFInterfaceDescription& description() { return DSYSDorerClientStore::kDescription; }

    // Request 0; the sequence number or -1.
    int32_t requestStore(IQFEventConsumerBase* consumer, const std::vector<SDorerItemChange>& changes,
                         const SDorerVersions& versions);
    // The response's parameter (UPD_ID_responseStore).
    int32_t getChangeId() const;

    int32_t getStoredChangeId() const { return mStoredChangeId; }

private:
    friend class TDorerProxy;
    using TDorerProxy::TDorerProxy;
    void cacheAttribute(const Payload& payload) override {
        if (payload.mUpdateId == DSYSDorerClientStore::UPD_ID_storedChangeId) mStoredChangeId = payload.mStoredChangeId;
    }

    int32_t mStoredChangeId = 0;
};
