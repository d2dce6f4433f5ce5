#include "CDorerShellCommandStore.h"

#include "CDorerShellNotificationConsumer.h"
#include "CzoqDorerClientStore.h"
#include "DorerShellFormat.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandStore");

bool isStoreConnected() { return CDorerShellCommand::sClientStore && CDorerShellCommand::sClientStore->isConnected(); }
}  // namespace

CDorerShellCommandStore::~CDorerShellCommandStore() {
    if (sClientStore) sClientStore->removeListener(&mAnswerListener);
}

void CDorerShellCommandStore::CAnswerListener::responseStoredChange(int32_t cookie, int32_t changeId) {
    // The framework's answer for a service that went away: the store client has the changes
    // back, and this store failed.
    if (changeId == -1 && !isStoreConnected() && !mOwner.isAnswerLost()) mOwner.fail(CQFString());
    sConsumer->getStoreListener()->responseStoredChange(cookie, changeId);
}

bool CDorerShellCommandStore::isFullyOperable() { return sCurrentState == "FullyOperable"; }

void CDorerShellCommandStore::prepare() {
    if (!isStoreConnected()) {
        mResult = CDorerShellResult(eShellProxyDisconnected, CQFString());
        return;
    }
    mWaitsForStorage = isFullyOperable();
    if (mWaitsForStorage) {
        registerMarks({eClientResponsePendingChangeId, eDorerAttributeLastStoredChangeID});
    } else {
        registerMarks({eClientResponsePendingChangeId});
    }
}

void CDorerShellCommandStore::start() {
    const CQFTraceScope trace(kScope, "start");
    trace.sendFormattedMessage("CDorerShellCommandStore::%s()", "start");
    if (!isOutstanding(eClientResponsePendingChangeId)) {
        trace.sendFormattedMessage("CDorerShellCommandStore::%s() : marks are empty", "start");
        addError(ERRCLN_FAILED_STORE);
        reportCompletion(false);
        return;
    }
    int32_t cookie;
    {
        CDorerShellSharedDataLock lock;
        mResult = CDorerShellResult(eShellValid, "#STORED\n");
        cookie = sClientStore->requestStoreChange(&mAnswerListener);
        sStoreCookie = cookie;
    }
    trace.sendFormattedMessage("CDorerShellCommandStore::%s() : requestStoreChange( cookie = 0x%x )", "start",
                               static_cast<uint32_t>(cookie));
    if (cookie == -1) {
        // Nothing was sent and no answer will come; the changes are still pending.
        releaseMarks({eClientResponsePendingChangeId, eDorerAttributeLastStoredChangeID});
        fail(CQFString());
        reportCompletion(false);
        return;
    }
    watchAnswer(eClientResponsePendingChangeId, {eClientResponsePendingChangeId, eDorerAttributeLastStoredChangeID});
}

void CDorerShellCommandStore::finish() {
    CQFTraceScope(kScope, "finish").sendFormattedMessage("CDorerShellCommandStore::%s()", "finish");
    if (isAnswerLost()) return;
    if (!isStoreConnected()) {
        fail(CQFString());
        return;
    }
    CDorerShellSharedDataLock lock;
    CQFString text("#PENDING CHANGE_ID=%changeID%\n");
    text.replaceAll("%changeID%", NDorerShellFormat::formatChangeId(sPendingChangeId));
    if (isFullyOperable()) {
        CQFString stored("#LAST STORED CHANGE_ID=%changeID%\n");
        stored.replaceAll("%changeID%", NDorerShellFormat::formatChangeId(sLastStoredChangeId));
        text.append(stored);
    } else {
        text.append("Store will be execute only in 'FullyOperable' state.\n");
    }
    const bool refused = sPendingChangeId == -1;
    mNotStored = refused || (mWaitsForStorage && sLastStoredChangeId < sPendingChangeId);
    if (!mNotStored) {
        mResult = CDorerShellResult(eShellValid, text);
        return;
    }
    // The server kept an accepted change it did not store: it goes out with the next store.
    if (!refused) sClientStore->giveUpStoreChange(sStoreCookie);
    mResult = CDorerShellResult(eShellInvalid, text);
    addError(ERRCLN_FAILED_STORE);
}

void CDorerShellCommandStore::onAnswerMissing() {
    fail("#STORE NOT ANSWERED\n");
    // The request's changes go back into the pending set; a late answer changes nothing.
    sClientStore->giveUpStoreChange(sStoreCookie);
}

void CDorerShellCommandStore::fail(const CQFString& data) {
    setAnswerLost();
    mResult = CDorerShellResult(isStoreConnected() ? eShellInvalid : eShellProxyDisconnected, data);
    addError(ERRCLN_FAILED_STORE);
}
