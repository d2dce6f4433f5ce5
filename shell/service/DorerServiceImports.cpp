#include "DorerServiceImports.h"

#include "CDSYSDorerAdminEvents.h"
#include "CDSYSDorerClientGetEvents.h"
#include "CDSYSDorerClientStoreEvents.h"
#include "CDSYSOnOffEvents.h"

namespace {

template <class TRequest, class TResponse>
SQFPIQImportEntry entry(const char* name, int index, uint16_t major, uint16_t minor) {
    return {name, index, major, minor, &TResponse::create, &TRequest::serialize};
}

}  // namespace

std::vector<SQFPIQImportEntry> dorerServiceImports() {
    return {
        entry<CDSYSOnOffRequestEvent, CDSYSOnOffResponseEvent>(DSYSOnOff::kImportName, DSYSOnOff::kImportIndex,
                                                               DSYSOnOff::kVersionMajor, DSYSOnOff::kVersionMinor),
        entry<CDSYSDorerClientGetRequestEvent, CDSYSDorerClientGetResponseEvent>(
            DSYSDorerClientGet::kImportName, DSYSDorerClientGet::kImportIndex, DSYSDorerClientGet::kVersionMajor,
            DSYSDorerClientGet::kVersionMinor),
        entry<CDSYSDorerClientStoreRequestEvent, CDSYSDorerClientStoreResponseEvent>(
            DSYSDorerClientStore::kImportName, DSYSDorerClientStore::kImportIndex, DSYSDorerClientStore::kVersionMajor,
            DSYSDorerClientStore::kVersionMinor),
        entry<CDSYSDorerAdminRequestEvent, CDSYSDorerAdminResponseEvent>(
            DSYSDorerAdmin::kImportName, DSYSDorerAdmin::kImportIndex, DSYSDorerAdmin::kVersionMajor,
            DSYSDorerAdmin::kVersionMinor),
    };
}
