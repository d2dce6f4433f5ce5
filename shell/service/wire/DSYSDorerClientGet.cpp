#include "DSYSDorerClientGet.h"

namespace DSYSDorerClientGet {

namespace {
template <class V, class P>
void responseFields(V& v, P& payload) {
    if (payload.mUpdateId == UPD_ID_changeId) v(payload.mChangeId);
}
}  // namespace

const SQFInterfaceDescription kDescription = {0, 0, 1, 0, 1, nullptr};

void writeResponsePayload(IQFOStream& out, const SResponsePayload& payload) {
    CDorerFieldWriter writer(out);
    responseFields(writer, payload);
}

void readResponsePayload(IQFIStream& in, SResponsePayload& payload) {
    CDorerFieldReader reader(in);
    responseFields(reader, payload);
}

}  // namespace DSYSDorerClientGet
