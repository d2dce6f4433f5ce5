#include "CDSYSDorerClientStoreProxy.h"

int32_t CDSYSDorerClientStoreProxy::requestStore(IQFEventConsumerBase* consumer,
                                                 const std::vector<SDorerItemChange>& changes,
                                                 const SDorerVersions& versions) {
    return sendRequest(DSYSDorerClientStore::UPD_ID_requestStore, consumer,
                       [&](DSYSDorerClientStore::SRequestPayload& payload) {
                           payload.mChanges = changes;
                           payload.mVersions = versions;
                       });
}

int32_t CDSYSDorerClientStoreProxy::getChangeId() const {
    return getParameter(DSYSDorerClientStore::UPD_ID_responseStore, &Payload::mChangeId, "ChangeId_NoResponse",
                        "ChangeId");
}
