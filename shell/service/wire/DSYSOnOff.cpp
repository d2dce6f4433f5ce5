#include "DSYSOnOff.h"

namespace DSYSOnOff {

namespace {
const uint32_t kResponseIds[] = {UPD_ID_responseTriggerNewState};

template <class V, class P>
void requestFields(V& v, P& payload) {
    if (payload.mRequestId == static_cast<int32_t>(UPD_ID_requestTriggerNewState)) v(payload.mNewState);
}

template <class V, class P>
void responseFields(V& v, P& payload) {
    switch (payload.mUpdateId) {
        case UPD_ID_responseTriggerNewState: v(payload.mTriggerOk); break;
        case UPD_ID_manifestMajorVersion: v(payload.mManifestMajorVersion); break;
        case UPD_ID_currentOperatingState: v(payload.mCurrentOperatingState); break;
        case UPD_ID_manifestMinorVersion: v(payload.mManifestMinorVersion); break;
        default: break;
    }
}
}  // namespace

const SQFInterfaceDescription kDescription = {1, 1, 3, 0, 1, kResponseIds};

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

}  // namespace DSYSOnOff
