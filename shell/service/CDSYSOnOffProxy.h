// The proxy of DSYSOnOff: the operating state (cached) and the state trigger.
#pragma once

#include "CDSYSOnOffEvents.h"
#include "TDorerProxy.h"

class CDSYSOnOffProxy : public TDorerProxy<CDSYSOnOffProxy, CDSYSOnOffRequestEvent, CDSYSOnOffResponseEvent,
                                           CDSYSOnOffNotificationEvent, eDorerProxyAttributes> {
public:
    static constexpr const char* kInterfaceName = DSYSOnOff::kInterfaceName;
    static constexpr const char* kClassText = " CDSYSOnOffProxy";
    static constexpr const char* kSourceName = "CDSYSOnOffProxy";
    static const SQFInterfaceDescription& description() { return DSYSOnOff::kDescription; }

    // Request 0 with the state name as given; the sequence number or -1.
    int32_t requestTriggerNewState(IQFEventConsumerBase* consumer, const CQFString& newState);
    // The response's parameter (UPD_ID_responseTriggerNewState).
    bool getTriggerOk() const;

    const CQFString& getCurrentOperatingState() const { return mCurrentOperatingState; }
    uint32_t getManifestMajorVersion() const { return mManifestMajorVersion; }
    uint32_t getManifestMinorVersion() const { return mManifestMinorVersion; }

private:
    friend class TDorerProxy;
    using TDorerProxy::TDorerProxy;
    void cacheAttribute(const Payload& payload) override;

    uint32_t mManifestMajorVersion = 0;
    CQFString mCurrentOperatingState;
    uint32_t mManifestMinorVersion = 0;
};
