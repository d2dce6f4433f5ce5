#include "cfgshellTables.h"

#include "qf/QFApplication.h"
#include "qf/QFAssert.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_cfgshellMain");
constexpr int kThreadCount = 8;

// The components, built once; they live as long as the process.
struct SComponents {
    CQFComponentInfo bootstrap{"Bootstrap"};
    CQFComponentInfo shell{"CfgShell"};
    CQFComponentInfo piqSend{"PIQSend"};
    CQFComponentInfo kestrel{"Kestrelv2"};

    SComponents() {
        bootstrap.registerThreadIndex("MainThread", 5);
        bootstrap.setMapKey(32767, 65535);

        shell.registerThreadIndex("DorerShellFileIOWorkerThread", 0);
        shell.registerWorkerThreadName("DorerShellFileIOWorkerThread", "DorerShellFileIOWorkerThread_CfgShell");
        shell.registerComponentMapping("DorerService", "DorerSrv");
        shell.registerComponentMapping("DorerService", "DorerSrv");
        shell.setMapKey(0, 1);

        piqSend.registerThreadIndex("PIQReceive", 3);
        piqSend.registerThreadIndex("PIQTCPReceive", 4);
        piqSend.setMapKey(2, 65535);

        kestrel.registerThreadIndex("CfgShell", 1);
        kestrel.registerThreadIndex("PIQSend", 2);
        kestrel.registerThreadIndex("Trace", 6);
        kestrel.registerThreadIndex("Watchdog", 7);
        kestrel.setMapKey(5, 65535);
    }
};

}  // namespace

const std::vector<const CQFComponentInfo*>& cfgshellComponentTable() {
    static const SComponents components;
    static const std::vector<const CQFComponentInfo*> table{&components.bootstrap, &components.shell,
                                                            &components.piqSend, &components.kestrel};
    return table;
}

namespace {

const CQFThreadParam* threadParams() {
    static const int32_t interaction = QFApplication::getAPSPartitionId("interaction");
    static const CQFThreadParam params[kThreadCount] = {
        {0, 60000, 10, 32768, 5, 65535, -1},          // DorerShellFileIOWorkerThread
        {1, 999999999, 10, 32768, 0, 1, -1},          // CfgShell
        {2, 60000, 10, 32768, 5, 65535, interaction}, // PIQSend
        {3, 60000, 10, 32768, 2, 65535, interaction}, // PIQReceive
        {4, 60000, 10, 32768, 2, 65535, interaction}, // PIQTCPReceive
        {5, 0, 10, 32768, 5, 65535, interaction},     // MainThread
        {6, 60000, 10, 32768, 5, 65535, interaction}, // Trace
        {7, 0, 10, 32768, 5, 65535, interaction},     // Watchdog
    };
    return params;
}

}  // namespace

const CQFThreadParam* getThreadParam(const char* threadName) {
    if (!threadName) {
        doCheapAssert(345, "cfgshellMain");
        return nullptr;
    }
    const CQFComponentInfo* component = CQFComponentInfo::getCurrent();
    const int index = component ? component->getThreadIndex(threadName) : -1;
    if (index < 0 || index > kThreadCount - 1) {
        const CQFString componentName = component ? component->getName() : CQFString("<none>");
        doAssert(index < 0 ? 351 : 354, "cfgshellMain", "thread index out of range", threadName);
        CQFTraceScope(kScope, "getThreadParam")
            .sendFormattedError("Component %s could not create thread %s", componentName.getCString(), threadName);
        return nullptr;
    }
    return &threadParams()[index];
}

