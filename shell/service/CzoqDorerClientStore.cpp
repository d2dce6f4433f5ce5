#include "CzoqDorerClientStore.h"

#include <algorithm>

#include "CDSYSDorerClientStoreProxy.h"
#include "DorerClientLog.h"
#include "dorerDefaults.h"
#include "qf/CQFCRC.h"
#include "qf/QFAssert.h"

namespace {

// The versions every store request declares: QFSD 4, ADJUST 2, CB 0x060C, the fourth invalid.
const SDorerVersions kStoreVersions = {4, 2, 0x060C, 0xFFFF};

// Inserts {key, value} into a vector sorted by key, or overwrites the value of key.
template <class TValue>
void putSorted(std::vector<std::pair<int32_t, TValue>>& entries, int32_t key, TValue value) {
    auto at = std::lower_bound(entries.begin(), entries.end(), key,
                               [](const std::pair<int32_t, TValue>& e, int32_t k) { return e.first < k; });
    if (at != entries.end() && at->first == key) {
        at->second = value;
    } else {
        entries.insert(at, {key, value});
    }
}

bool isFailedRequest(uint32_t resultType) {
    return resultType == QFServices::eResultType_RequestFailed || resultType == QFServices::eResultType_RequestError;
}

}  // namespace

CzoqDorerClientStore::CzoqDorerClientStore() {
    mStoreProxy = CDSYSDorerClientStoreProxy::createProxy("DorerSrv", &mConnectListener);
    if (!mStoreProxy) {
        doAssert(71, "CzoqDorerClientStore",
                 "CzoqDorerClientStore::CzoqDorerClientStore( )                      get proxy is null", 0LL);
    }
    CzoqDorerClientGet::addListener(static_cast<IzoqDorerClientGetListener*>(this));
}

CzoqDorerClientStore::~CzoqDorerClientStore() {
    if (mStoreProxy) {
        mStoreProxy->clearAllNotifications(&mStoreConsumer, true);
        mStoreProxy->freeProxyInstance(&mConnectListener);
        mStoreProxy = nullptr;
    }
    CzoqDorerClientGet::removeListener(static_cast<IzoqDorerClientGetListener*>(this));
    CQFMutexLocker lock(mStoreMutex);
    mStoreListeners.clear();
    mPendingResponses.clear();
    mAwaitedChangeIds.clear();
    mSentCookies.clear();
}

void CzoqDorerClientStore::addListener(IzoqDorerClientStoreListener* listener) {
    if (!listener) return;
    CQFMutexLocker lock(mStoreMutex);
    if (std::find(mStoreListeners.begin(), mStoreListeners.end(), listener) == mStoreListeners.end()) {
        mStoreListeners.push_back(listener);
    }
}

void CzoqDorerClientStore::removeListener(IzoqDorerClientStoreListener* listener) {
    if (!listener) return;
    CQFMutexLocker lock(mStoreMutex);
    std::replace(mStoreListeners.begin(), mStoreListeners.end(), listener,
                 static_cast<IzoqDorerClientStoreListener*>(nullptr));
    mPendingResponses.erase(
        std::remove_if(mPendingResponses.begin(), mPendingResponses.end(),
                       [listener](const std::pair<int32_t, IzoqDorerClientStoreListener*>& p) { return p.second == listener; }),
        mPendingResponses.end());
}

bool CzoqDorerClientStore::isConnected() const { return mStoreProxy && mStoreProxy->isConnected(); }

int CzoqDorerClientStore::setItem(uint32_t itemId, const CQFBuffer& value) {
    if (!mAccessor || !dorerDefaults_isValidId(itemId) || dorerDefaults_isMirrorKey(itemId)) return 1;
    if (!dorerDefaults_checkValue(itemId, value.getData(), static_cast<uint32_t>(value.getSize()))) return 2;
    mAccessor->addChange(mClientKey, itemId, value);
    return 0;
}

uint32_t CzoqDorerClientStore::changeSetId(int32_t cookie) const {
    const uintptr_t base = reinterpret_cast<uintptr_t>(static_cast<const CzoqDorerClientGet*>(this));
    const uint32_t sum = static_cast<uint32_t>(base + static_cast<uintptr_t>(static_cast<int64_t>(cookie)));
    return CQFCRC::compute(CQFCRC::eCRC32, &sum, sizeof sum);
}

int32_t CzoqDorerClientStore::requestStoreChange(IzoqDorerClientStoreListener* listener) {
    addListener(listener);
    if (!isConnected() || !mAccessor) return -1;
    const std::vector<SDorerItemChange> changes = mAccessor->getPendingChanges(mClientKey);
    const int32_t cookie = mStoreProxy->requestStore(&mStoreConsumer, changes, kStoreVersions);
    // Nothing was sent: the changes stay pending rather than wait for an answer that never comes.
    if (cookie == -1) return -1;
    {
        CQFMutexLocker lock(mStoreMutex);
        putSorted(mPendingResponses, cookie, listener);
        mSentCookies.insert(std::lower_bound(mSentCookies.begin(), mSentCookies.end(), cookie), cookie);
    }
    mAccessor->commitPending(mClientKey, changeSetId(cookie));
    return cookie;
}

void CzoqDorerClientStore::componentConnected(CQFProxyBase* proxy) {
    CzoqDorerClientGet::componentConnected(proxy);
    if (proxy != mStoreProxy || !mStoreProxy->isConnected() || mStoreSubscribed) return;
    mStoreProxy->setNotification(DSYSDorerClientStore::UPD_ID_storedChangeId, &mStoreConsumer);
    mStoreSubscribed = true;
}

void CzoqDorerClientStore::componentDisconnected(CQFProxyBase* proxy) {
    CzoqDorerClientGet::componentDisconnected(proxy);
    if (proxy != mStoreProxy) return;
    // The server that took these sets has not confirmed them stored; the next one may never
    // have seen them. A late answer of a request in flight is ignored.
    std::vector<int32_t> unconfirmed;
    {
        CQFMutexLocker lock(mStoreMutex);
        unconfirmed = mSentCookies;
    }
    if (!unconfirmed.empty()) {
        NDorerClientLog::debug("CzoqDorerClientStore::componentDisconnected %u change sets not stored are pending again",
                               static_cast<unsigned>(unconfirmed.size()));
    }
    for (int32_t cookie : unconfirmed) reopen(cookie);
    // What the next server reports counts; values of this one would release its sets early.
    mPageChangeId = mStoredChangeId = -1;
    if (!mStoreSubscribed) return;
    mStoreProxy->clearAllNotifications(&mStoreConsumer, true);
    mStoreSubscribed = false;
}

void CzoqDorerClientStore::processEvent(CDSYSDorerClientStoreNotificationEvent& event) {
    // A failed request (the framework's answer when the service went away) still reaches
    // its listener, so that the store's changes are put back and nobody waits for ever.
    const bool failed = isFailedRequest(event.mResultType);
    if (!mStoreProxy || (!mStoreProxy->isConnected() && !failed)) return;
    switch (event.mUpdateId) {
        case DSYSDorerClientStore::UPD_ID_responseStore: processResponseStore(event); break;
        case DSYSDorerClientStore::UPD_ID_storedChangeId: processStoredChangeId(); break;
        default: NDorerClientLog::error("CzoqDorerClientStore::processEvent( ) unexpected event delivered"); break;
    }
}

IzoqDorerClientStoreListener* CzoqDorerClientStore::pendingListener(int32_t cookie) {
    auto found = std::lower_bound(
        mPendingResponses.begin(), mPendingResponses.end(), cookie,
        [](const std::pair<int32_t, IzoqDorerClientStoreListener*>& e, int32_t k) { return e.first < k; });
    return found != mPendingResponses.end() && found->first == cookie ? found->second : nullptr;
}

void CzoqDorerClientStore::processResponseStore(CDSYSDorerClientStoreNotificationEvent& event) {
    const int32_t cookie = static_cast<int32_t>(event.mSequenceNumber);
    int32_t changeId;
    IzoqDorerClientStoreListener* listener;
    {
        CQFMutexLocker lock(mStoreMutex);
        // A failed request stored nothing: it reads as refused.
        changeId = isFailedRequest(event.mResultType) ? -1 : mStoreProxy->getChangeId();
        NDorerClientLog::debug("CzoqDorerClientStore::processEvent UPD_ID_responseStore change id %d", changeId);
        listener = pendingListener(cookie);
    }
    if (listener) listener->responseStoredChange(cookie, changeId);
    if (!isSent(cookie)) return;  // given up: its changes are pending again already
    if (changeId == -1) {
        reopen(cookie);
        return;
    }
    CQFMutexLocker lock(mStoreMutex);
    putSorted(mAwaitedChangeIds, cookie, changeId);
}

bool CzoqDorerClientStore::isSent(int32_t cookie) {
    CQFMutexLocker lock(mStoreMutex);
    return std::binary_search(mSentCookies.begin(), mSentCookies.end(), cookie);
}

void CzoqDorerClientStore::reopen(int32_t cookie) {
    {
        CQFMutexLocker lock(mStoreMutex);
        auto sent = std::lower_bound(mSentCookies.begin(), mSentCookies.end(), cookie);
        if (sent == mSentCookies.end() || *sent != cookie) return;
        mSentCookies.erase(sent);
        mAwaitedChangeIds.erase(std::remove_if(mAwaitedChangeIds.begin(), mAwaitedChangeIds.end(),
                                               [cookie](const std::pair<int32_t, int32_t>& a) { return a.first == cookie; }),
                                mAwaitedChangeIds.end());
    }
    if (mAccessor) mAccessor->reopenChangeSet(mClientKey, changeSetId(cookie));
}

void CzoqDorerClientStore::giveUpStoreChange(int32_t cookie) { reopen(cookie); }

void CzoqDorerClientStore::processStoredChangeId() {
    CQFMutexLocker lock(mStoreMutex);
    const int32_t stored = mStoreProxy->getStoredChangeId();
    NDorerClientLog::debug("CzoqDorerClientStore::processEvent UPD_ID_storedChangeId stored change id %d", stored);
    mStoreMutex.unlock();
    releaseStored(stored);
    mStoreMutex.lock();
    for (size_t i = 0; i < mStoreListeners.size(); ++i) {
        IzoqDorerClientStoreListener* listener = mStoreListeners[i];
        if (!listener) continue;
        mStoreMutex.unlock();
        listener->onLastStoredChangeId(stored);
        mStoreMutex.lock();
    }
}

void CzoqDorerClientStore::onChangeId(int32_t changeId) {
    if (changeId == -1) return;
    mPageChangeId = changeId;
    releaseUpTo(std::min(mPageChangeId, mStoredChangeId));
}

void CzoqDorerClientStore::releaseStored(int32_t storedChangeId) {
    if (storedChangeId == -1) return;
    mStoredChangeId = storedChangeId;
    releaseUpTo(std::min(mPageChangeId, mStoredChangeId));
}

void CzoqDorerClientStore::releaseUpTo(int32_t changeId) {
    if (!mAccessor || changeId == -1) return;
    std::vector<int32_t> released;
    {
        CQFMutexLocker lock(mStoreMutex);
        for (const auto& awaited : mAwaitedChangeIds) {
            if (awaited.second <= changeId) released.push_back(awaited.first);
        }
    }
    for (int32_t cookie : released) {
        mAccessor->removeChangeSet(mClientKey, changeSetId(cookie));
        CQFMutexLocker lock(mStoreMutex);
        mAwaitedChangeIds.erase(std::remove_if(mAwaitedChangeIds.begin(), mAwaitedChangeIds.end(),
                                               [cookie](const std::pair<int32_t, int32_t>& a) { return a.first == cookie; }),
                                mAwaitedChangeIds.end());
        mSentCookies.erase(std::remove(mSentCookies.begin(), mSentCookies.end(), cookie), mSentCookies.end());
    }
}
