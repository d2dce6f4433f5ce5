#include "DSYSDorerAdmin.h"

namespace DSYSDorerAdmin {

namespace {
const uint32_t kResponseIds[] = {UPD_ID_responseStorageInfo, UPD_ID_responseReload, UPD_ID_responseActionLog,
                                 UPD_ID_responseVersionInfo};

template <class V, class P>
void responseFields(V& v, P& payload) {
    switch (payload.mUpdateId) {
        case UPD_ID_responseStorageInfo: v(payload.mInfo); break;
        case UPD_ID_responseReload: v(payload.mSuccess); break;
        case UPD_ID_responseActionLog: v(payload.mLog); break;
        case UPD_ID_responseVersionInfo:
            v(payload.mCompiledVersion);
            v(payload.mStoredVersions);
            break;
        default: break;
    }
}
}  // namespace

const SQFInterfaceDescription kDescription = {4, 4, 0, 0, 1, kResponseIds};

void writeResponsePayload(IQFOStream& out, const SResponsePayload& payload) {
    CDorerFieldWriter writer(out);
    responseFields(writer, payload);
}

void readResponsePayload(IQFIStream& in, SResponsePayload& payload) {
    CDorerFieldReader reader(in);
    responseFields(reader, payload);
}

}  // namespace DSYSDorerAdmin
