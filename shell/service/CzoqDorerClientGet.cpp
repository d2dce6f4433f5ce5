#include "CzoqDorerClientGet.h"

#include <algorithm>
#include <cstdlib>

#include "CDSYSDorerClientGetProxy.h"
#include "DorerClientLog.h"
#include "qf/QFAssert.h"
#include "sysetpagegetsh.h"

namespace {

const char* environmentOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

}  // namespace

CzoqDorerClientGet::CzoqDorerClientGet() {
    mGetProxy = CDSYSDorerClientGetProxy::createProxy("DorerPageProxy", &mConnectListener);
    if (!mGetProxy) {
        doAssert(58, "CzoqDorerClientGet",
                 "CzoqDorerClientGet::CzoqDorerClientGet( )                      get proxy is null", 0LL);
    }
    mAccessor = new CDorerClientDataAccessor(environmentOr("DORER_PAGE", kDorerDefaultPageName),
                                             environmentOr("DORER_PAGELOCK", kDorerDefaultPageLockName));
    if (mAccessor) mClientKey = mAccessor->createClientKey();
}

CzoqDorerClientGet::~CzoqDorerClientGet() {
    if (mAccessor) mAccessor->removeClient(mClientKey);
    mAccessor.reset();
    if (mGetProxy) {
        mGetProxy->clearAllNotifications(&mGetConsumer, true);
        mGetProxy->freeProxyInstance(&mConnectListener);
    }
}

void CzoqDorerClientGet::addListener(IzoqDorerClientGetListener* listener) {
    if (!listener) return;
    CQFMutexLocker lock(mMutex);
    if (std::find(mListeners.begin(), mListeners.end(), listener) == mListeners.end()) mListeners.push_back(listener);
}

void CzoqDorerClientGet::removeListener(IzoqDorerClientGetListener* listener) {
    if (!listener) return;
    CQFMutexLocker lock(mMutex);
    std::replace(mListeners.begin(), mListeners.end(), listener, static_cast<IzoqDorerClientGetListener*>(nullptr));
}

void CzoqDorerClientGet::componentConnected(CQFProxyBase* proxy) {
    if (proxy != mGetProxy || !mGetProxy->isConnected() || mSubscribed) return;
    mGetProxy->setNotification(DSYSDorerClientGet::UPD_ID_changeId, &mGetConsumer);
    mSubscribed = true;
}

void CzoqDorerClientGet::componentDisconnected(CQFProxyBase* proxy) {
    if (proxy != mGetProxy || !mSubscribed) return;
    mGetProxy->clearAllNotifications(&mGetConsumer, true);
    mSubscribed = false;
}

void CzoqDorerClientGet::processEvent(CDSYSDorerClientGetNotificationEvent& event) {
    if (!mAccessor || !mAccessor->isAttached() || !mGetProxy || event.mUpdateId != DSYSDorerClientGet::UPD_ID_changeId) {
        return;
    }
    const int32_t changeId = mGetProxy->getChangeId();
    const QFServices::DataStateType state = mGetProxy->getChangeIdDataState();
    mAccessor->update();
    if (state != QFServices::eDataState_Valid) return;
    NDorerClientLog::debug("CzoqDorerClientGet::processEvent UPD_ID_changeId change id = %d", changeId);
    CQFMutexLocker lock(mMutex);
    // By index: a listener may add or remove listeners while it is called.
    for (size_t i = 0; i < mListeners.size(); ++i) {
        IzoqDorerClientGetListener* listener = mListeners[i];
        if (!listener) continue;
        mMutex.unlock();
        listener->onChangeId(changeId);
        mMutex.lock();
    }
    mListeners.erase(std::remove(mListeners.begin(), mListeners.end(), nullptr), mListeners.end());
}
