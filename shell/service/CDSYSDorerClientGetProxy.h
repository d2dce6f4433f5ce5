// The proxy of DSYSDorerClientGet: the change id of the shared settings page (cached).
#pragma once

#include "CDSYSDorerClientGetEvents.h"
#include "TDorerProxy.h"

class CDSYSDorerClientGetProxy
    : public TDorerProxy<CDSYSDorerClientGetProxy, CDSYSDorerClientGetRequestEvent, CDSYSDorerClientGetResponseEvent,
                         CDSYSDorerClientGetNotificationEvent, eDorerProxyPage> {
public:
    static constexpr const char* kInterfaceName = DSYSDorerClientGet::kInterfaceName;
    static constexpr const char* kClassText = " CDSYSDorerClientGetProxy";
    static constexpr const char* kSourceName = "CDSYSDorerClientGetProxy";
    static const SQFInterfaceDescription& description() { return DSYSDorerClientGet::kDescription; }

    int32_t getChangeId() const { return mChangeId; }
    QFServices::DataStateType getChangeIdDataState() const { return getDataState(DSYSDorerClientGet::UPD_ID_changeId); }

private:
    friend class TDorerProxy;
    using TDorerProxy::TDorerProxy;
    void cacheAttribute(const Payload& payload) override {
        if (payload.mUpdateId == DSYSDorerClientGet::UPD_ID_changeId) mChangeId = payload.mChangeId;
    }

    int32_t mChangeId = 0;
};
