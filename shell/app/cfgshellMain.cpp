// cfgshell: publishes the component and thread tables and the service imports, then hands
// control to the framework's start-up sequence. Its result is the exit status.

#include "CDorerShell.h"
#include "cfgshellTables.h"
#include "DorerServiceImports.h"
#include "DorerShellLog.h"
#include "qf/CQFComponent.h"
#include "qf/QFApplication.h"
#include "qf/QFOperatingSystem.h"

// The usage text shown by the system's usage utility.
extern const char kCfgshellUsage[];
__attribute__((used)) const char kCfgshellUsage[] =
    "The SystemSettings Component shell, command line format is:\n"
    "cfgshell [ --noconnect ] [ --setstate=<state> ] [ --exitonerror ] [ --help ]\n"
    "--setstate=<state> - triggers OnOff state on startup.\n"
    "--exitonerror      - triggers 'exit' command on first error.\n"
    "--noconnect        - tells to do NOT establish PIQ connection, with this option the cfgshell can run in the "
    "idle mode before services are running.\n"
    "--help             - prints a brief info about command line options.";

int main(int argc, char** argv) {
    QFComponentMap::publish(cfgshellComponentTable());
    QFCommandLineOptions::set(argc, argv);
    NDorerShellLog::setProgramName(argc > 0 ? argv[0] : "cfgshell");

    // "DorerSrv.DSYSOnOff" 0 1.1, "DorerPageProxy.DSYSDorerClientGet" 1 1.0,
    // "DorerSrv.DSYSDorerClientStore" 2 2.0, "DorerSrv.DSYSDorerAdmin" 3 2.0.
    const std::vector<SQFPIQImportEntry> imports = dorerServiceImports();
    const std::vector<SQFServiceRegistryEntry> registry = {
        {"CfgShell.QFRootService", {0, 1}, 1, false, 1, 0},
        {"DorerSrv.DSYSOnOff", {2, 0}, 0, true, 1, 1},
        {"DorerPageProxy.DSYSDorerClientGet", {2, 1}, 1, true, 1, 0},
        {"DorerSrv.DSYSDorerClientStore", {2, 2}, 2, true, 2, 0},
        {"DorerSrv.DSYSDorerAdmin", {2, 3}, 3, true, 2, 0},
    };

    SQFSystemConfig system;
    system.mProcessName = "cfgshell";
    system.mThreadNames = {"CfgShell", "DorerShellFileIOWorkerThread_CfgShell", "PIQSend", "PIQReceive",
                           "PIQTCPReceive", "MainThread", "Trace", "Watchdog"};
    system.mStackSize = QFOperatingSystem::sDefaultStackSize;
    system.mPriority = QFOperatingSystem::sNormalPriority;
    system.mGetThreadParam = &getThreadParam;

    SQFApplicationConfig application;
    application.mServiceThreads = {{"CfgShell", "CfgShell", [] { return new CDorerShell; }}};
    application.mIntraThreadCommBlocks = 3;
    application.mRootAddress = {0, 1};
    application.mKernelTraceAppId = 0xFB3B2A1B;
    application.mAbortTimeMs = 0;

    return execPIQSingleProcess(system, application, registry, imports);
}
