#include "CDorerShellCommandComponentConnected.h"

#include "CDSYSDorerAdminProxy.h"
#include "CDSYSOnOffProxy.h"
#include "CDorerShellMarks.h"
#include "CDorerShellNotificationConsumer.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandComponentConnected");
// Mapped to the server's role "DorerSrv" by the component's start-up configuration.
const char kRole[] = "DorerService";

// The proxy again through find-or-create, giving back the reference held so far.
template <class TProxy>
void renewProxy(TProxy*& proxy, IQFProxyConnectListener* listener) {
    if (proxy) proxy->freeProxyInstance(listener);
    proxy = TProxy::createProxy(kRole, listener);
}

}  // namespace

void CDorerShellCommandComponentConnected::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandComponentConnected::%s()", "start");
    bool waiting;
    {
        CDorerShellSharedDataLock lock;
        CDorerShellMarks* marks = lock.getMarks();
        mResult = CDorerShellResult(eShellValid, "#CONNECTED\n");
        IQFProxyConnectListener* listener = sConsumer->getConnectListener();
        if (!(sAdminProxy && sAdminProxy->isConnected())) {
            renewProxy(sAdminProxy, listener);
            marks->registerMark(eAdminComponentConnected, 0);
        }
        if (!(sOnOffProxy && sOnOffProxy->isConnected())) {
            renewProxy(sOnOffProxy, listener);
            marks->registerMark(eOnOffComponentConnected, 0);
            marks->registerMark(eOnOffCurrentOperatingState, 0);
        } else if (sCurrentState.isEmpty()) {
            // Connected again by the middleware; the new server's state is on its way.
            marks->registerMark(eOnOffCurrentOperatingState, 0);
        }
        waiting = !marks->isEmpty();
    }
    // The consumer completes the command when the last connection report arrives; with both
    // services connected already none will.
    if (!waiting) reportCompletion(true);
}
