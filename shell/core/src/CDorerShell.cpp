#include "CDorerShell.h"

#include <cstring>
#include <new>

#include "qf/QFAssert.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShell");

// An argument counts as the option when it begins with it.
bool hasPrefix(const CQFString& argument, const char* option) {
    return std::strncmp(argument.getCString(), option, std::strlen(option)) == 0;
}
}  // namespace

CDorerShell::CDorerShell() : CQFComponent("CfgShell") {}

CDorerShell::~CDorerShell() = default;

void CDorerShell::requestBoot(const CQFBootParameter& bootParameters) {
    const CQFTraceScope trace(kScope, "requestBoot");
    trace.sendFormattedMessage("CDorerShell::%s()", "requestBoot");
    bool connect = true;
    bool help = false;
    bool exitOnError = false;
    CQFString state;
    for (size_t i = 0; i < bootParameters.getCount(); ++i) {
        const CQFString argument = bootParameters.getArgument(i);
        trace.sendFormattedMessage("CDorerShell::%s() : bootParam [%d] = %s \n", "requestBoot", static_cast<int>(i),
                                   argument.getCString());
        if (hasPrefix(argument, "--noconnect")) {
            connect = false;
        } else if (hasPrefix(argument, "--help")) {
            help = true;
        } else if (hasPrefix(argument, "--exitonerror")) {
            exitOnError = true;
        } else if (hasPrefix(argument, "--setstate=")) {
            state = argument.getRight(std::strlen("--setstate="));
        }
    }
    mMain.reset(new (std::nothrow) CDorerShellMain(state, connect, help, exitOnError));
    if (!mMain) {
        doCheapAssert(84, "CDorerShell");
        return;
    }
    mMain->processNextCommand();
}

void CDorerShell::requestTerminate(int reason) {
    CQFTraceScope(kScope, "requestTerminate").sendFormattedMessage("CDorerShell::%s(%d)", "requestTerminate", reason);
    QFApplication::shutdown();
}
