// The pattern of reload, versioninfo and storageinfo: one DSYSDorerAdmin request, one mark,
// and a text made from the answer.
//
// Without an Admin connection the command fails at once with "PROXY DISCONNECTED". When the
// answer cannot come (the request was not sent, the service went away, or no answer within
// the time limit), the result of start stays: the error line of "ADMINISTRATION REQUEST
// FAILED" with the request text, and the command's identifier is recorded.
#pragma once

#include <cstdint>

#include "CDorerShellServiceCommand.h"

class CDSYSDorerAdminProxy;
class CQFTraceScopeDef;
class IQFEventConsumerBase;

class CDorerShellAdminRequestCommand : public CDorerShellServiceCommand {
public:
    void start() override;
    void finish() override;

    using FRequest = int32_t (CDSYSDorerAdminProxy::*)(IQFEventConsumerBase* consumer);
    struct SRequest {
        const CQFTraceScopeDef& mScope;
        const char* mClassName;  // for the trace lines
        eMarkType mMark;
        FRequest mRequest;
        EErrorId mErrorId;
        const char* mRequestText;
    };

protected:
    explicit CDorerShellAdminRequestCommand(const SRequest& request) : mRequest(request) {}

    // The text of the answer, from the shared data (called under the shared-data lock).
    virtual CQFString answerText() const = 0;
    static CQFString hex(uint32_t value);
    // "0x%.2x", "INVALID" for 0xFFFF.
    static CQFString version(uint16_t value);

private:
    void onAnswerMissing() override { addError(mRequest.mErrorId); }
    void giveUp();

    const SRequest& mRequest;
};
