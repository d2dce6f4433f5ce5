#include "CDorerShellCommand.h"

#include <algorithm>
#include <mutex>

#include "CDorerShellMarks.h"
#include "CDorerShellNotificationConsumer.h"
#include "CDSYSDorerAdminProxy.h"
#include "CzoqDorerClientStore.h"
#include "qf/QFAssert.h"

CDSYSDorerAdminProxy* CDorerShellCommand::sAdminProxy = nullptr;
CDSYSOnOffProxy* CDorerShellCommand::sOnOffProxy = nullptr;
CDorerShellNotificationConsumer* CDorerShellCommand::sConsumer = nullptr;
CzoqDorerClientStore* CDorerShellCommand::sClientStore = nullptr;
CQFString CDorerShellCommand::sCurrentState;
int32_t CDorerShellCommand::sStoreCookie = 0;
int32_t CDorerShellCommand::sPendingChangeId = -1;
int32_t CDorerShellCommand::sLastStoredChangeId = -1;
int32_t CDorerShellCommand::sReloadResult = 0;
std::vector<SStorageInfo> CDorerShellCommand::sStorageInfo;
std::vector<SActionLogEntry> CDorerShellCommand::sActionLog;
SDorerVersions CDorerShellCommand::sCompiledVersion;
std::vector<SStoredVersion> CDorerShellCommand::sStoredVersions;
pid_t CDorerShellCommand::sServerPid = -1;
int32_t CDorerShellCommand::sLastSeenAction = -1;

namespace {

// The error list is touched on the component thread only; the mutex keeps tests that read
// it from another thread honest.
std::mutex gErrorMutex;
std::vector<EErrorId> gErrors;

CQFMutex gSharedDataMutex;
uint32_t gLockCount = 0;  // counts every lock; never decreased
CDorerShellMarks* gMarks = nullptr;

// The identifier of an action under one of the three families; asserts for another action.
EErrorId actionError(EErrorId storeId, int action, int line) {
    if (action >= 0 && action <= 5) return static_cast<EErrorId>(storeId + action);
    doAssert(line, "CDorerShellCommand", "Unsupported DSYSDorerAdmin::EDorerAction value.", action);
    return OK;
}

}  // namespace

CDorerShellCommand::CDorerShellCommand() {
    if (sClientStore) return;
    sClientStore = new CzoqDorerClientStore;
    if (sConsumer) sClientStore->addListener(sConsumer->getStoreListener());
}

void CDorerShellCommand::releaseClientStore() {
    delete sClientStore;
    sClientStore = nullptr;
}

void CDorerShellCommand::collectServerErrors() {
    CDorerShellSharedDataLock lock;
    if (!sAdminProxy || !sAdminProxy->isConnected()) return;
    for (const SActionLogEntry& entry : sActionLog) {
        const int32_t sequenceNumber = static_cast<int32_t>(entry.mSequenceNumber);
        if (sequenceNumber <= sLastSeenAction) continue;
        // In the order of the entry: its I/O or IPC failure, its items, its overall failure.
        addActionResultErrors(entry.mAction, entry.mIoResult, true);
        for (const SItemError& error : entry.mItemErrors) addItemError(error.mItemId, static_cast<int>(error.mReason));
        if (!entry.mSuccess) addActionResultErrors(entry.mAction, 0, false);
        sLastSeenAction = sequenceNumber;
    }
}

void CDorerShellCommand::addError(EErrorId id) {
    std::lock_guard<std::mutex> lock(gErrorMutex);
    if (std::find(gErrors.begin(), gErrors.end(), id) == gErrors.end()) gErrors.push_back(id);
}

std::vector<EErrorId> CDorerShellCommand::getErrors() {
    std::lock_guard<std::mutex> lock(gErrorMutex);
    return gErrors;
}

void CDorerShellCommand::clearErrors() {
    std::lock_guard<std::mutex> lock(gErrorMutex);
    gErrors.clear();
}

uint32_t CDorerShellCommand::lockSharedData() {
    gSharedDataMutex.lock();
    return ++gLockCount;
}

void CDorerShellCommand::unlockSharedData(uint32_t token) {
    if (token != gLockCount) doAssert(193, "CDorerShellCommand", "shared-data lock token mismatch", token);
    gSharedDataMutex.unlock();  // released all the same: a held lock would stop the shell
}

CDorerShellMarks* CDorerShellCommand::getMarks(uint32_t token) {
    if (token != gLockCount) doAssert(200, "CDorerShellCommand", "shared-data lock token mismatch", token);
    return gMarks;
}

void CDorerShellCommand::setMarks(CDorerShellMarks* marks) {
    CQFMutexLocker lock(gSharedDataMutex);
    gMarks = marks;
}

void CDorerShellCommand::addActionResultErrors(int action, uint32_t ioResult, bool success) {
    if (ioResult & 0x1) {
        addError(actionError(ERRSRV_IOFAILED_STORE, action, 98));
    } else if (ioResult & 0x2) {
        addError(actionError(ERRSRV_IPCFAILED_STORE, action, 116));
    }
    if (!success) addError(actionError(ERRSRV_FAILED_STORE, action, 129));
}

void CDorerShellCommand::addItemError(uint32_t itemId, int itemReason) {
    EErrorId first;
    switch (itemReason) {
        case 1: first = ERRSRV_WRONGVERSION_KEY; break;
        case 2: first = ERRSRV_WRONGSIZE_KEY; break;
        case 4: first = ERRSRV_WRONGID_KEY; break;
        default: return;  // other reasons carry no identifier
    }
    // Each family runs KEY, CB, CBF, ADJ; the id's two top bits give 0 CB, 1 CBF, 2 ADJ, 3 KEY.
    int offset;
    switch (itemId >> 30) {
        case 0: offset = 1; break;
        case 1: offset = 2; break;
        case 2: offset = 3; break;
        case 3: offset = 0; break;
        default:
            doAssert(177, "CDorerShellCommand", "Unsupported item type.", static_cast<long long>(itemId >> 30));
            return;
    }
    addError(static_cast<EErrorId>(first + offset));
}

void CDorerShellCommand::reportCompletion(bool ok) {
    if (sConsumer) sConsumer->triggerAction(ok);
}

