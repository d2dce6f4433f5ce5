#include "CDorerShell.h"

#include <cstdlib>
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
// How long a script waits for the settings service, in seconds (0: for ever). No existing
// option begins with it, and it begins with none of them.
const char kConnectWait[] = "--connectwait=";

// Whole seconds, up to a day; anything else leaves milliseconds as it is.
void parseSeconds(const CQFString& text, uint32_t& milliseconds) {
    const char* digits = text.getCString();
    const size_t length = std::strlen(digits);
    if (length == 0 || length > 5 || std::strspn(digits, "0123456789") != length) return;
    const unsigned long seconds = std::strtoul(digits, nullptr, 10);
    if (seconds <= 86400) milliseconds = static_cast<uint32_t>(seconds * 1000);
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
    uint32_t connectWaitMs = CDorerShellMain::kDefaultConnectWaitMs;
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
        } else if (hasPrefix(argument, kConnectWait)) {
            parseSeconds(argument.getRight(std::strlen(kConnectWait)), connectWaitMs);
        }
    }
    mMain.reset(new (std::nothrow) CDorerShellMain(state, connect, help, exitOnError, connectWaitMs));
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
