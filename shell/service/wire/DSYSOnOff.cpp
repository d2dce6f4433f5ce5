#include "DSYSOnOff.h"

namespace DSYSOnOff {

namespace {
const uint32_t kResponseIds[] = {UPD_ID_responseTriggerNewState};
}
const SQFInterfaceDescription kDescription = {1, 1, 3, 0, 1, kResponseIds};

void writeRequestPayload(IQFOStream& out, const SRequestPayload& payload) {
    if (payload.mRequestId == static_cast<int32_t>(UPD_ID_requestTriggerNewState)) out.write(payload.mNewState);
}

void readRequestPayload(IQFIStream& in, SRequestPayload& payload) {
    if (payload.mRequestId == static_cast<int32_t>(UPD_ID_requestTriggerNewState)) in.read(payload.mNewState);
}

void writeResponsePayload(IQFOStream& out, const SResponsePayload& payload) {
    switch (payload.mUpdateId) {
        case UPD_ID_responseTriggerNewState: out.write(payload.mTriggerOk); break;
        case UPD_ID_manifestMajorVersion: out.write(payload.mManifestMajorVersion); break;
        case UPD_ID_currentOperatingState: out.write(payload.mCurrentOperatingState); break;
        case UPD_ID_manifestMinorVersion: out.write(payload.mManifestMinorVersion); break;
        default: break;
    }
}

void readResponsePayload(IQFIStream& in, SResponsePayload& payload) {
    switch (payload.mUpdateId) {
        case UPD_ID_responseTriggerNewState: in.read(payload.mTriggerOk); break;
        case UPD_ID_manifestMajorVersion: in.read(payload.mManifestMajorVersion); break;
        case UPD_ID_currentOperatingState: in.read(payload.mCurrentOperatingState); break;
        case UPD_ID_manifestMinorVersion: in.read(payload.mManifestMinorVersion); break;
        default: break;
    }
}

}  // namespace DSYSOnOff
