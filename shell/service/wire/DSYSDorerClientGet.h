// DSYSDorerClientGet: the change id of the shared settings page
// ("DorerPageProxy.DSYSDorerClientGet", 1.0). No requests.
#pragma once

#include <cstdint>

#include "DorerWireFields.h"
#include "piq/QFServices.h"
#include "piq/QFStreams.h"

namespace DSYSDorerClientGet {

constexpr const char* kInterfaceName = "DSYSDorerClientGet";
constexpr const char* kImportName = "DorerPageProxy.DSYSDorerClientGet";
constexpr int kImportIndex = 1;
constexpr uint16_t kVersionMajor = 1;
constexpr uint16_t kVersionMinor = 0;

constexpr uint32_t UPD_ID_changeId = 0xC0000000u;

extern const SQFInterfaceDescription kDescription;

// The interface has no requests: nothing but the request id.
struct SRequestPayload {
    int32_t mRequestId = -1;
};
inline void writeRequestPayload(IQFOStream&, const SRequestPayload&) {}
inline void readRequestPayload(IQFIStream&, SRequestPayload&) {}

struct SResponsePayload {
    uint32_t mUpdateId = static_cast<uint32_t>(-1);
    int32_t mChangeId = 0;  // UPD_ID_changeId
};
void writeResponsePayload(IQFOStream& out, const SResponsePayload& payload);
void readResponsePayload(IQFIStream& in, SResponsePayload& payload);

}  // namespace DSYSDorerClientGet
