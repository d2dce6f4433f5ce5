#include "DSYSDorerClientStore.h"

namespace DSYSDorerClientStore {

namespace {
const uint32_t kResponseIds[] = {UPD_ID_responseStore};
}
const SQFInterfaceDescription kDescription = {1, 1, 1, 0, 1, kResponseIds};

void writeRequestPayload(IQFOStream& out, const SRequestPayload& payload) {
    if (payload.mRequestId != static_cast<int32_t>(UPD_ID_requestStore)) return;
    writeValue(out, payload.mChanges);
    writeValue(out, payload.mVersions);
}

void readRequestPayload(IQFIStream& in, SRequestPayload& payload) {
    if (payload.mRequestId != static_cast<int32_t>(UPD_ID_requestStore)) return;
    readValue(in, payload.mChanges);
    readValue(in, payload.mVersions);
}

void writeResponsePayload(IQFOStream& out, const SResponsePayload& payload) {
    switch (payload.mUpdateId) {
        case UPD_ID_responseStore: out.write(payload.mChangeId); break;
        case UPD_ID_storedChangeId: out.write(payload.mStoredChangeId); break;
        default: break;
    }
}

void readResponsePayload(IQFIStream& in, SResponsePayload& payload) {
    switch (payload.mUpdateId) {
        case UPD_ID_responseStore: in.read(payload.mChangeId); break;
        case UPD_ID_storedChangeId: in.read(payload.mStoredChangeId); break;
        default: break;
    }
}

}  // namespace DSYSDorerClientStore
