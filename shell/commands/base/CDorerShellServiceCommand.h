// The base of the commands that wait for answers of the settings service. The notification
// consumer closes their marks as the answers arrive; in addition each such command keeps a
// time limit on the answer to its request, so that a command whose answer cannot come ends
// with an error line and its error identifier instead of holding the shell for ever, and
// leaves no mark behind to hold back later commands.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "CDorerShellCommand.h"
#include "CDorerShellMarks.h"
#include "qf/CQFTimer.h"

class CDorerShellServiceCommand : public CDorerShellCommand, private IQFTimerConsumer {
public:
    bool confirmCompletion(bool reportedOk) override { return reportedOk && !mAnswerLost; }

protected:
    // How long a request may stay unanswered. Longer than the notification consumer's own
    // waits for attribute updates, which end a sequence as a success and take precedence.
    static constexpr uint32_t kAnswerLimitMs = 30000;

    // Under the shared-data lock, crc 0.
    static void registerMarks(std::initializer_list<eMarkType> types);
    // Removes one mark of each type that is outstanding; the others are left alone.
    static void releaseMarks(const std::vector<eMarkType>& types);
    static bool isOutstanding(eMarkType type);

    // Starts the time limit on the answer that closes responseMark; waitedMarks are all the
    // marks the command waits on (released when it gives up).
    void watchAnswer(eMarkType responseMark, std::vector<eMarkType> waitedMarks);
    // The answer did not come in time, the command's marks are released: set the failed result
    // and record the identifier. The base then reports completion as failed.
    virtual void onAnswerMissing() = 0;

    // The answer cannot come (the service went away, or the time limit passed): the result is
    // written as a failure whatever the completion report said.
    void setAnswerLost() { mAnswerLost = true; }
    bool isAnswerLost() const { return mAnswerLost; }

private:
    void processTimer(CQFTimer& timer) override;

    std::unique_ptr<CQFTimer> mTimer;
    eMarkType mResponseMark = eOnOffResponseTriggerNewState;
    std::vector<eMarkType> mWaitedMarks;
    bool mOvertime = false;
    bool mAnswerLost = false;
};
