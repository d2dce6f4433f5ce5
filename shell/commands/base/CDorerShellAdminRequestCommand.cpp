#include "CDorerShellAdminRequestCommand.h"

#include "CDSYSDorerAdminProxy.h"
#include "CDorerShellNotificationConsumer.h"
#include "qf/QFTrace.h"

namespace {

bool isAdminConnected() { return CDorerShellCommand::sAdminProxy && CDorerShellCommand::sAdminProxy->isConnected(); }

}  // namespace

void CDorerShellAdminRequestCommand::start() {
    const CQFString traceText = CQFString(mRequest.mClassName).append("::%s()");
    CQFTraceScope(mRequest.mScope, "start").sendFormattedMessage(traceText.getCString(), "start");
    if (!isAdminConnected()) {
        addError(mRequest.mErrorId);
        mResult = CDorerShellResult(eShellProxyDisconnected, CQFString());
        reportCompletion(false);
        return;
    }
    registerMarks({mRequest.mMark});
    mResult = CDorerShellResult(eShellAdminRequestFailed, mRequest.mRequestText);
    if ((sAdminProxy->*mRequest.mRequest)(sConsumer->getAdminConsumer()) == -1) {
        releaseMarks({mRequest.mMark});
        giveUp();
        reportCompletion(false);
        return;
    }
    watchAnswer(mRequest.mMark, {mRequest.mMark});
}

void CDorerShellAdminRequestCommand::finish() {
    const CQFString traceText = CQFString(mRequest.mClassName).append("::%s()");
    CQFTraceScope(mRequest.mScope, "finish").sendFormattedMessage(traceText.getCString(), "finish");
    if (isAnswerLost()) return;
    if (!isAdminConnected()) {
        // The answer was the framework's for a service that went away, not the server's.
        giveUp();
        return;
    }
    CDorerShellSharedDataLock lock;
    mResult = CDorerShellResult(eShellValid, answerText());
}

void CDorerShellAdminRequestCommand::giveUp() {
    setAnswerLost();
    addError(mRequest.mErrorId);
}

CQFString CDorerShellAdminRequestCommand::hex(uint32_t value) { return CQFString().format("0x%.2x", value); }

CQFString CDorerShellAdminRequestCommand::version(uint16_t value) { return value == 0xFFFF ? CQFString("INVALID") : hex(value); }
