// DSYSDorerClientStore: storing changed items ("DorerSrv.DSYSDorerClientStore", 2.0).
#pragma once

#include <cstdint>
#include <vector>

#include "DSYSDorerTypes.h"
#include "piq/QFServices.h"

namespace DSYSDorerClientStore {

constexpr const char* kInterfaceName = "DSYSDorerClientStore";
constexpr const char* kImportName = "DorerSrv.DSYSDorerClientStore";
constexpr int kImportIndex = 2;
constexpr uint16_t kVersionMajor = 2;
constexpr uint16_t kVersionMinor = 0;

constexpr uint32_t UPD_ID_requestStore = 0;
constexpr uint32_t UPD_ID_responseStore = 0x80000000u;
constexpr uint32_t UPD_ID_storedChangeId = 0xC0000000u;

extern const SQFInterfaceDescription kDescription;

struct SRequestPayload {
    int32_t mRequestId = -1;
    std::vector<SDorerItemChange> mChanges;  // UPD_ID_requestStore
    SDorerVersions mVersions;
};
void writeRequestPayload(IQFOStream& out, const SRequestPayload& payload);
void readRequestPayload(IQFIStream& in, SRequestPayload& payload);

struct SResponsePayload {
    uint32_t mUpdateId = static_cast<uint32_t>(-1);
    int32_t mChangeId = 0;        // UPD_ID_responseStore; -1: the store was refused
    int32_t mStoredChangeId = 0;  // UPD_ID_storedChangeId
};
void writeResponsePayload(IQFOStream& out, const SResponsePayload& payload);
void readResponsePayload(IQFIStream& in, SResponsePayload& payload);

}  // namespace DSYSDorerClientStore
