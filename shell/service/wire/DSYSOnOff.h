// DSYSOnOff: the operating state of the settings service ("DorerSrv.DSYSOnOff", 1.1).
#pragma once

#include <cstdint>

#include "DorerWireFields.h"
#include "piq/QFServices.h"
#include "piq/QFStreams.h"

namespace DSYSOnOff {

constexpr const char* kInterfaceName = "DSYSOnOff";
constexpr const char* kImportName = "DorerSrv.DSYSOnOff";
constexpr int kImportIndex = 0;
constexpr uint16_t kVersionMajor = 1;
constexpr uint16_t kVersionMinor = 1;

constexpr uint32_t UPD_ID_requestTriggerNewState = 0;
constexpr uint32_t UPD_ID_responseTriggerNewState = 0x80000000u;
constexpr uint32_t UPD_ID_manifestMajorVersion = 0xC0000000u;
constexpr uint32_t UPD_ID_currentOperatingState = 0xC0000001u;
constexpr uint32_t UPD_ID_manifestMinorVersion = 0xC0000002u;

extern const SQFInterfaceDescription kDescription;

// The parameters of the request mRequestId.
struct SRequestPayload {
    int32_t mRequestId = -1;
    CQFString mNewState;  // UPD_ID_requestTriggerNewState
};
void writeRequestPayload(IQFOStream& out, const SRequestPayload& payload);
void readRequestPayload(IQFIStream& in, SRequestPayload& payload);

// The value of the update mUpdateId; an unknown id has none.
struct SResponsePayload {
    uint32_t mUpdateId = static_cast<uint32_t>(-1);
    bool mTriggerOk = false;              // UPD_ID_responseTriggerNewState
    uint32_t mManifestMajorVersion = 0;   // UPD_ID_manifestMajorVersion
    CQFString mCurrentOperatingState;     // UPD_ID_currentOperatingState
    uint32_t mManifestMinorVersion = 0;   // UPD_ID_manifestMinorVersion
};
void writeResponsePayload(IQFOStream& out, const SResponsePayload& payload);
void readResponsePayload(IQFIStream& in, SResponsePayload& payload);

}  // namespace DSYSOnOff
