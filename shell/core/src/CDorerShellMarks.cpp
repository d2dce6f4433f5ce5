#include "CDorerShellMarks.h"

#include <algorithm>

#include "DorerShellLog.h"
#include "qf/QFAssert.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellMarks");
}

void CDorerShellMarks::registerMark(eMarkType type, uint32_t crc) {
    const CQFString name = toString(type);
    CQFTraceScope(kScope, "registerMark")
        .sendFormattedMessage("CDorerShellMarks::%s() : type = %s, crc = 0x%x", "registerMark", name.getCString(), crc);
    NDorerShellLog::log(5, "CDorerShellMarks::%s() : type = %s, crc = 0x%x", "registerMark", name.getCString(), crc);
    mMarks.push_back({type, crc});
}

bool CDorerShellMarks::unregisterMark(eMarkType type, uint32_t crc) {
    auto it = std::find(mMarks.begin(), mMarks.end(), SMark{type, crc});
    const bool removed = it != mMarks.end();
    if (removed) mMarks.erase(it);
    const CQFString name = toString(type);
    const char* outcome = removed ? "Success" : "Failed";
    CQFTraceScope(kScope, "unregisterMark")
        .sendFormattedMessage("CDorerShellMarks::%s() : type = %s, crc = 0x%x. %s", "unregisterMark", name.getCString(),
                              crc, outcome);
    NDorerShellLog::log(5, "CDorerShellMarks::%s() : type = %s, crc = 0x%x. %s", "unregisterMark", name.getCString(),
                        crc, outcome);
    return removed;
}

CQFString CDorerShellMarks::toString(eMarkType type) {
    switch (type) {
        case eOnOffComponentConnected: return "eOnOffComponentConnected";
        case eAdminComponentConnected: return "eAdminComponentConnected";
        case eOnOffCurrentOperatingState: return "eOnOffCurrentOperatingState";
        case eOnOffResponseTriggerNewState: return "eOnOffResponseTriggerNewState";
        case eDorerComponentConnected: return "eDorerComponentConnected";
        case eDorerResponseStoreChange: return "eDorerResponseStoreChange";
        case eDorerAttributeLastStoredChangeID: return "eDorerAttributeLastStoredChangeID";
        case eAdminAttributeResetCount: return "eAdminAttributeResetCount";
        case eAdminAttributeErrorLog: return "eAdminAttributeErrorLog";
        case eAdminStartupLogResponse: return "eAdminStartupLogResponse";
        case eAdminStorageInfo: return "eAdminStorageInfo";
        case eAdminReload: return "eAdminReload";
        case eAdminActionLog: return "eAdminActionLog";
        case eAdminVersionInfo: return "eAdminVersionInfo";
        case eClientResponsePendingChangeId: return "eClientResponsePendingChangeId";
    }
    doAssert(86, "CDorerShellMarks", "Undefined eMarkType value.", static_cast<long long>(type));
    return CQFString();
}
