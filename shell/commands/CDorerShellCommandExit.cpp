#include "CDorerShellCommandExit.h"

#include "CDSYSDorerAdminProxy.h"
#include "CDSYSOnOffProxy.h"
#include "CDorerShellCommandSysetsrv.h"
#include "CDorerShellNotificationConsumer.h"
#include "qf/QFApplication.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandExit");

template <class TProxy>
void giveBack(TProxy*& proxy) {
    if (!proxy) return;
    proxy->freeProxyInstance(CDorerShellCommand::sConsumer->getConnectListener());
    proxy = nullptr;
}

}  // namespace

void CDorerShellCommandExit::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandExit::%s()", "start");
    {
        CDorerShellSharedDataLock lock;
        giveBack(sOnOffProxy);
        giveBack(sAdminProxy);
        sCurrentState = CQFString();
    }
    CDorerShellCommandSysetsrv::stopServer();
    QFApplication::shutdown(getErrors().empty() ? 0 : 1);
}
