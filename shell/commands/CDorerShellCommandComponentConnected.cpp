#include "CDorerShellCommandComponentConnected.h"

#include <algorithm>
#include <cstdio>

#include "CDSYSDorerAdminProxy.h"
#include "CDSYSOnOffProxy.h"
#include "CDorerShellMarks.h"
#include "CDorerShellNotificationConsumer.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandComponentConnected");
// Mapped to the server's role "DorerSrv" by the component's start-up configuration.
const char kRole[] = "DorerService";
// How long an unbounded wait stays silent: a running service answers well within it.
constexpr uint32_t kNoticeAfterMs = 1000;
const eMarkType kConnectMarks[] = {eAdminComponentConnected, eOnOffComponentConnected, eOnOffCurrentOperatingState};

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
    if (!waiting) {
        reportCompletion(true);
        return;
    }
    mTimer.reset(new CQFTimer(this, "ConnectLimit"));
    mTimer->start(mLimitMs != 0 ? mLimitMs : kNoticeAfterMs, 1);
}

void CDorerShellCommandComponentConnected::processTimer(CQFTimer&) {
    // Completing hands the command to the interpreter, which lets go of it.
    const TQFRef<CDorerShellCommandComponentConnected> keep(this);
    bool released = false;
    {
        CDorerShellSharedDataLock lock;
        CDorerShellMarks* marks = lock.getMarks();
        if (!marks) return;
        for (eMarkType type : kConnectMarks) {
            const std::vector<CDorerShellMarks::SMark>& present = marks->getMarks();
            if (std::find(present.begin(), present.end(), CDorerShellMarks::SMark{type, 0}) == present.end()) continue;
            if (mLimitMs == 0) {
                std::fprintf(stderr, "cfgshell: waiting for the settings service\n");
                return;
            }
            marks->unregisterMark(type, 0);
            released = true;
        }
    }
    if (!released) return;
    mGaveUp = true;
    mResult = CDorerShellResult(eShellProxyDisconnected, CQFString());
    addError(ERRCLN_FAILED_CONNECT);
    reportCompletion(false);
}
