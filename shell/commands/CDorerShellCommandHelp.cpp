#include "CDorerShellCommandHelp.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandHelp");

const char kUsage[] =
    "The SystemSettings Component shell, command line format is:\n"
    "cfgshell [ --noconnect ] [ --help ] [ --setstate=<state> ]\n"
    "--noconnect        - tells to do NOT establish PIQ connection, with this option the cfgshell can run in the "
    "idle mode before services are running.\n"
    "--setstate=<state> - triggers OnOff state on startup.\n"
    "--exitonerror      - triggers 'exit' command on first error.\n"
    "--help             - prints a brief info about command line options.\n"
    "\n"
    "Most commands support wild-card symbols: '*', '?'; sets: [a-z], '!' negation.\n"
    "\n";

CQFString listing(const std::vector<CDorerShellCommandHelp::SEntry>& commands) {
    size_t longest = 0;
    for (const auto& c : commands) longest = std::max(longest, std::strlen(c.mKeyword));
    CQFString text(kUsage);
    for (const auto& c : commands) {
        const std::string padding = std::string(longest - std::strlen(c.mKeyword), ' ') + " - ";
        text.append(CQFString().format("%s%s%s\n", c.mKeyword, padding.c_str(), c.mCaption));
    }
    return text;
}

}  // namespace

void CDorerShellCommandHelp::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandHelp::%s()", "start");
    mResult = CDorerShellResult(eShellValid, mMode == eBanner ? CQFString("#HW: zoq\n") : listing(mCommands));
    reportCompletion(true);
}
