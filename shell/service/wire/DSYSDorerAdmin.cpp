#include "DSYSDorerAdmin.h"

namespace DSYSDorerAdmin {

namespace {
const uint32_t kResponseIds[] = {UPD_ID_responseStorageInfo, UPD_ID_responseReload, UPD_ID_responseActionLog,
                                 UPD_ID_responseVersionInfo};
}
const SQFInterfaceDescription kDescription = {4, 4, 0, 0, 1, kResponseIds};

void writeResponsePayload(IQFOStream& out, const SResponsePayload& payload) {
    switch (payload.mUpdateId) {
        case UPD_ID_responseStorageInfo: writeValue(out, payload.mInfo); break;
        case UPD_ID_responseReload: out.write(payload.mSuccess); break;
        case UPD_ID_responseActionLog: writeValue(out, payload.mLog); break;
        case UPD_ID_responseVersionInfo:
            writeValue(out, payload.mCompiledVersion);
            writeValue(out, payload.mStoredVersions);
            break;
        default: break;
    }
}

void readResponsePayload(IQFIStream& in, SResponsePayload& payload) {
    switch (payload.mUpdateId) {
        case UPD_ID_responseStorageInfo: readValue(in, payload.mInfo); break;
        case UPD_ID_responseReload: in.read(payload.mSuccess); break;
        case UPD_ID_responseActionLog: readValue(in, payload.mLog); break;
        case UPD_ID_responseVersionInfo:
            readValue(in, payload.mCompiledVersion);
            readValue(in, payload.mStoredVersions);
            break;
        default: break;
    }
}

}  // namespace DSYSDorerAdmin
