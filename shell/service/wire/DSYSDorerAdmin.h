// DSYSDorerAdmin: management of the settings server ("DorerSrv.DSYSDorerAdmin", 2.0).
// The enumerations of the namespace live with the shared types (DSYSDorerTypes.h).
#pragma once

#include <cstdint>
#include <vector>

#include "DSYSDorerTypes.h"
#include "piq/QFServices.h"

namespace DSYSDorerAdmin {

constexpr const char* kInterfaceName = "DSYSDorerAdmin";
constexpr const char* kImportName = "DorerSrv.DSYSDorerAdmin";
constexpr int kImportIndex = 3;
constexpr uint16_t kVersionMajor = 2;
constexpr uint16_t kVersionMinor = 0;

constexpr uint32_t UPD_ID_requestStorageInfo = 0;
constexpr uint32_t UPD_ID_requestReload = 1;
constexpr uint32_t UPD_ID_requestActionLog = 2;
constexpr uint32_t UPD_ID_requestVersionInfo = 3;
constexpr uint32_t UPD_ID_responseStorageInfo = 0x80000000u;
constexpr uint32_t UPD_ID_responseReload = 0x80000001u;
constexpr uint32_t UPD_ID_responseActionLog = 0x80000002u;
constexpr uint32_t UPD_ID_responseVersionInfo = 0x80000003u;

extern const SQFInterfaceDescription kDescription;

// The four requests carry no parameters.
struct SRequestPayload {
    int32_t mRequestId = -1;
};
inline void writeRequestPayload(IQFOStream&, const SRequestPayload&) {}
inline void readRequestPayload(IQFIStream&, SRequestPayload&) {}

struct SResponsePayload {
    uint32_t mUpdateId = static_cast<uint32_t>(-1);
    std::vector<SStorageInfo> mInfo;             // UPD_ID_responseStorageInfo
    bool mSuccess = false;                       // UPD_ID_responseReload
    std::vector<SActionLogEntry> mLog;           // UPD_ID_responseActionLog
    SDorerVersions mCompiledVersion;             // UPD_ID_responseVersionInfo
    std::vector<SStoredVersion> mStoredVersions; // UPD_ID_responseVersionInfo
};
void writeResponsePayload(IQFOStream& out, const SResponsePayload& payload);
void readResponsePayload(IQFIStream& in, SResponsePayload& payload);

}  // namespace DSYSDorerAdmin
