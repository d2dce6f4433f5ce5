// The proxy of DSYSDorerAdmin: the four management requests and their responses.
#pragma once

#include <vector>

#include "CDSYSDorerAdminEvents.h"
#include "TDorerProxy.h"

class CDSYSDorerAdminProxy : public TDorerProxy<CDSYSDorerAdminProxy, CDSYSDorerAdminRequestEvent,
                                                CDSYSDorerAdminResponseEvent, CDSYSDorerAdminNotificationEvent,
                                                eDorerProxyRequests> {
public:
    static constexpr const char* kInterfaceName = DSYSDorerAdmin::kInterfaceName;
    static constexpr const char* kClassText = " CDSYSDorerAdminProxy";
    static constexpr const char* kSourceName = "CDSYSDorerAdminProxy";
    static const SQFInterfaceDescription& description() { return DSYSDorerAdmin::kDescription; }

    // Each returns the sequence number or -1.
    int32_t requestStorageInfo(IQFEventConsumerBase* consumer);
    int32_t requestReload(IQFEventConsumerBase* consumer);
    int32_t requestActionLog(IQFEventConsumerBase* consumer);
    int32_t requestVersionInfo(IQFEventConsumerBase* consumer);

    // The parameters of the current response.
    const std::vector<SStorageInfo>& getInfo() const;
    bool getSuccess() const;
    const std::vector<SActionLogEntry>& getLog() const;
    const SDorerVersions& getCompiledVersion() const;
    const std::vector<SStoredVersion>& getStoredVersions() const;

private:
    friend class TDorerProxy;
    using TDorerProxy::TDorerProxy;
    int32_t request(uint32_t requestIndex, IQFEventConsumerBase* consumer) {
        return sendRequest(requestIndex, consumer, [](DSYSDorerAdmin::SRequestPayload&) {});
    }
};
