#include "CDorerShellCommandReload.h"

#include "CDSYSDorerAdminProxy.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandReload");
const CDorerShellAdminRequestCommand::SRequest kRequest = {kScope, "CDorerShellCommandReload", eAdminReload,
                                                            &CDSYSDorerAdminProxy::requestReload,
                                                            ERRCLN_FAILED_GETRELOAD, "#REQUEST RELOAD\n"};
}  // namespace

CDorerShellCommandReload::CDorerShellCommandReload() : CDorerShellAdminRequestCommand(kRequest) {}

CQFString CDorerShellCommandReload::answerText() const {
    CQFString text("#RELOAD RESULT: %result%\n");
    text.replaceAll("%result%", sReloadResult ? "SUCCESS" : "FAILURE");
    return text;
}
