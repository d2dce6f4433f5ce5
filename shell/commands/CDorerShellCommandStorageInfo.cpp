#include "CDorerShellCommandStorageInfo.h"

#include "CDSYSDorerAdminProxy.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandStorageInfo");
const CDorerShellAdminRequestCommand::SRequest kRequest = {kScope, "CDorerShellCommandStorageInfo", eAdminStorageInfo,
                                                            &CDSYSDorerAdminProxy::requestStorageInfo,
                                                            ERRCLN_FAILED_GETSTORAGEINFO, "#REQUEST STORAGEINFO\n"};
const char kSeparator[] = "#-------------------------------------------------------------------------------\n";
}  // namespace

CDorerShellCommandStorageInfo::CDorerShellCommandStorageInfo() : CDorerShellAdminRequestCommand(kRequest) {}

CQFString CDorerShellCommandStorageInfo::answerText() const {
    CQFString text;
    for (const SStorageInfo& info : sStorageInfo) {
        CQFString entry(
            "STORAGE: %mStorage%\n STATUS: %mStatus%\n  INDEX: %mIndex%\nCOUNTER: %mEraseCounter%\nDATAPOS: %mDataPos%\n");
        entry.replaceAll("%mStorage%", DSYSDorerTypes::toString(info.mStorage));
        entry.replaceAll("%mStatus%", DSYSDorerAdmin::toString(info.mStatus));
        entry.replaceAll("%mIndex%", hex(info.mIndex));
        entry.replaceAll("%mEraseCounter%", hex(info.mEraseCounter));
        entry.replaceAll("%mDataPos%", hex(info.mDataPos));
        text.append(entry).append(kSeparator);
    }
    return text;
}
