#include "DSYSDorerClientStore.h"

namespace DSYSDorerClientStore {

namespace {
const uint32_t kResponseIds[] = {UPD_ID_responseStore};

template <class V, class P>
void requestFields(V& v, P& payload) {
    if (payload.mRequestId != static_cast<int32_t>(UPD_ID_requestStore)) return;
    v(payload.mChanges);
    v(payload.mVersions);
}

template <class V, class P>
void responseFields(V& v, P& payload) {
    switch (payload.mUpdateId) {
        case UPD_ID_responseStore: v(payload.mChangeId); break;
        case UPD_ID_storedChangeId: v(payload.mStoredChangeId); break;
        default: break;
    }
}
}  // namespace

const SQFInterfaceDescription kDescription = {1, 1, 1, 0, 1, kResponseIds};

void writeRequestPayload(IQFOStream& out, const SRequestPayload& payload) {
    CDorerFieldWriter writer(out);
    requestFields(writer, payload);
}

void readRequestPayload(IQFIStream& in, SRequestPayload& payload) {
    CDorerFieldReader reader(in);
    requestFields(reader, payload);
}

void writeResponsePayload(IQFOStream& out, const SResponsePayload& payload) {
    CDorerFieldWriter writer(out);
    responseFields(writer, payload);
}

void readResponsePayload(IQFIStream& in, SResponsePayload& payload) {
    CDorerFieldReader reader(in);
    responseFields(reader, payload);
}

}  // namespace DSYSDorerClientStore
