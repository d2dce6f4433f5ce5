#include "CDSYSDorerAdminProxy.h"

using namespace DSYSDorerAdmin;

int32_t CDSYSDorerAdminProxy::requestStorageInfo(IQFEventConsumerBase* consumer) {
    return request(UPD_ID_requestStorageInfo, consumer);
}

int32_t CDSYSDorerAdminProxy::requestReload(IQFEventConsumerBase* consumer) {
    return request(UPD_ID_requestReload, consumer);
}

int32_t CDSYSDorerAdminProxy::requestActionLog(IQFEventConsumerBase* consumer) {
    return request(UPD_ID_requestActionLog, consumer);
}

int32_t CDSYSDorerAdminProxy::requestVersionInfo(IQFEventConsumerBase* consumer) {
    return request(UPD_ID_requestVersionInfo, consumer);
}

const std::vector<SStorageInfo>& CDSYSDorerAdminProxy::getInfo() const {
    return getParameter(UPD_ID_responseStorageInfo, &Payload::mInfo, "Info_NoResponse", "Info");
}

bool CDSYSDorerAdminProxy::getSuccess() const {
    return getParameter(UPD_ID_responseReload, &Payload::mSuccess, "Success_NoResponse", "Success");
}

const std::vector<SActionLogEntry>& CDSYSDorerAdminProxy::getLog() const {
    return getParameter(UPD_ID_responseActionLog, &Payload::mLog, "Log_NoResponse", "Log");
}

const SDorerVersions& CDSYSDorerAdminProxy::getCompiledVersion() const {
    return getParameter(UPD_ID_responseVersionInfo, &Payload::mCompiledVersion, "CompiledVersion_NoResponse",
                        "CompiledVersion");
}

const std::vector<SStoredVersion>& CDSYSDorerAdminProxy::getStoredVersions() const {
    return getParameter(UPD_ID_responseVersionInfo, &Payload::mStoredVersions, "StoredVersions_NoResponse",
                        "StoredVersions");
}
