#include "CDorerShellCommandSysetsrv.h"

#include <errno.h>
#include <signal.h>
#include <sys/wait.h>

#include <sstream>
#include <string>
#include <vector>

#include "qf/QFOperatingSystem.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandSysetsrv");
const char kProgram[] = "sysetsrvora";
// Time for the server to come up or go down before the next command talks to it.
constexpr uint32_t kSettleMs = 1000;

CDorerShellCommandSysetsrv::EAction toAction(const CQFString& word) {
    if (word == "start") return CDorerShellCommandSysetsrv::eStart;
    if (word == "stop") return CDorerShellCommandSysetsrv::eStop;
    if (word == "restart") return CDorerShellCommandSysetsrv::eRestart;
    return CDorerShellCommandSysetsrv::eOther;
}

// The program's name, then the argument text split at spaces.
std::vector<CQFString> argumentVector(const CQFString& arguments) {
    std::vector<CQFString> args{CQFString(kProgram)};
    std::istringstream words(arguments.str());
    std::string word;
    while (std::getline(words, word, ' ')) {
        if (!word.empty()) args.emplace_back(word);
    }
    return args;
}

}  // namespace

CDorerShellCommandSysetsrv::CDorerShellCommandSysetsrv(const CQFString& action, const CQFString& arguments)
    : mAction(toAction(action)), mArguments(arguments) {}

void CDorerShellCommandSysetsrv::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandSysetsrv::%s()", "start");
    switch (mAction) {
        case eStart: startServer(); break;
        case eStop:
            if (stopServer()) mResult = CDorerShellResult(eShellValid, "#SERVER UNLOAD\n");
            else mResult = CDorerShellResult(eShellInvalid, CQFString());
            break;
        case eRestart:
            stopServer();
            startServer();
            break;
        case eOther: mResult = CDorerShellResult(eShellSyntaxError, CQFString()); break;
    }
    if (mResult.isValid()) {
        QFOperatingSystem::sleepMs(kSettleMs);
    } else {
        addError(ERRCLN_FAILED_SYSETSRV);
    }
    reportCompletion(mResult.isValid());
}

void CDorerShellCommandSysetsrv::startServer() {
    if (sServerPid != -1) return;  // a server of this shell runs already: the result stays "INVALID"
    sServerPid = QFOperatingSystem::spawnProcess(kProgram, argumentVector(mArguments));
    if (sServerPid == -1) {
        mResult = CDorerShellResult(eShellInvalid, CQFString());
    } else {
        mResult = CDorerShellResult(eShellValid, "#SERVER STARTED\n");
    }
}

bool CDorerShellCommandSysetsrv::stopServer() {
    if (sServerPid == -1) return false;
    // A server that cannot be signalled has gone already; it is forgotten all the same.
    if (kill(sServerPid, SIGTERM) == 0) {
        while (waitpid(sServerPid, nullptr, 0) == -1 && errno == EINTR) {
        }
    }
    sServerPid = -1;
    return true;
}
