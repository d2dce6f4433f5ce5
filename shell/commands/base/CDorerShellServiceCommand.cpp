#include "CDorerShellServiceCommand.h"

#include <algorithm>

void CDorerShellServiceCommand::registerMarks(std::initializer_list<eMarkType> types) {
    CDorerShellSharedDataLock lock;
    if (CDorerShellMarks* marks = lock.getMarks()) {
        for (eMarkType type : types) marks->registerMark(type, 0);
    }
}

void CDorerShellServiceCommand::releaseMarks(const std::vector<eMarkType>& types) {
    CDorerShellSharedDataLock lock;
    CDorerShellMarks* marks = lock.getMarks();
    if (!marks) return;
    for (eMarkType type : types) {
        const std::vector<CDorerShellMarks::SMark>& present = marks->getMarks();
        if (std::find(present.begin(), present.end(), CDorerShellMarks::SMark{type, 0}) != present.end()) {
            marks->unregisterMark(type, 0);
        }
    }
}

bool CDorerShellServiceCommand::isOutstanding(eMarkType type) {
    CDorerShellSharedDataLock lock;
    const CDorerShellMarks* marks = lock.getMarks();
    if (!marks) return false;
    const std::vector<CDorerShellMarks::SMark>& present = marks->getMarks();
    return std::find(present.begin(), present.end(), CDorerShellMarks::SMark{type, 0}) != present.end();
}

void CDorerShellServiceCommand::watchAnswer(eMarkType responseMark, std::vector<eMarkType> waitedMarks) {
    mResponseMark = responseMark;
    mWaitedMarks = std::move(waitedMarks);
    if (!mTimer) mTimer.reset(new CQFTimer(this, "AnswerLimit"));
    mTimer->start(kAnswerLimitMs, 1);
}

void CDorerShellServiceCommand::processTimer(CQFTimer&) {
    // Completing hands the command to the interpreter, which lets go of it.
    const TQFRef<CDorerShellServiceCommand> keep(this);
    if (isOutstanding(mResponseMark)) {
        releaseMarks(mWaitedMarks);
        mAnswerLost = true;
        onAnswerMissing();
        reportCompletion(false);
        return;
    }
    const bool waiting = std::any_of(mWaitedMarks.begin(), mWaitedMarks.end(), isOutstanding);
    if (!waiting) return;
    if (!mOvertime) {
        // The answer came; the consumer's own timer ends the wait for the updates after it.
        mOvertime = true;
        mTimer->start(kAnswerLimitMs, 1);
        return;
    }
    // Updates its timer does not cover (it closes one mark per expiry) end the same way: the
    // command counts as successful.
    releaseMarks(mWaitedMarks);
    reportCompletion(true);
}
