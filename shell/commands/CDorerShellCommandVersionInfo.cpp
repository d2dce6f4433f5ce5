#include "CDorerShellCommandVersionInfo.h"

#include "CDSYSDorerAdminProxy.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandVersionInfo");
const CDorerShellAdminRequestCommand::SRequest kRequest = {kScope, "CDorerShellCommandVersionInfo", eAdminVersionInfo,
                                                            &CDSYSDorerAdminProxy::requestVersionInfo,
                                                            ERRCLN_FAILED_GETVERSIONINFO, "#REQUEST VERSIONINFO\n"};
}  // namespace

CDorerShellCommandVersionInfo::CDorerShellCommandVersionInfo() : CDorerShellAdminRequestCommand(kRequest) {}

CQFString CDorerShellCommandVersionInfo::answerText() const {
    CQFString text(
        "Compiled version:\n  QFSD: %QfsdCompiledVersion%\nADJUST: %AdjustCompiledVersion%\n    CB: %CbCompiledVersion%\n");
    text.replaceAll("%QfsdCompiledVersion%", version(sCompiledVersion.mQfsdVersion));
    text.replaceAll("%AdjustCompiledVersion%", version(sCompiledVersion.mAdjustVersion));
    text.replaceAll("%CbCompiledVersion%", version(sCompiledVersion.mCbVersion));
    if (!sStoredVersions.empty()) text.append("Stored versions:\n");
    for (const SStoredVersion& stored : sStoredVersions) {
        CQFString entry("     ID: %id%\nVERSION: %version%\n");
        entry.replaceAll("%id%", hex(stored.mId));
        entry.replaceAll("%version%", version(stored.mVersion));
        text.append(entry);
    }
    return text;
}
