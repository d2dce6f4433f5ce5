#include "DSYSDorerClientGet.h"

namespace DSYSDorerClientGet {

const SQFInterfaceDescription kDescription = {0, 0, 1, 0, 1, nullptr};

void writeResponsePayload(IQFOStream& out, const SResponsePayload& payload) {
    if (payload.mUpdateId == UPD_ID_changeId) out.write(payload.mChangeId);
}

void readResponsePayload(IQFIStream& in, SResponsePayload& payload) {
    if (payload.mUpdateId == UPD_ID_changeId) in.read(payload.mChangeId);
}

}  // namespace DSYSDorerClientGet
