#include "piq/CQFProxyBase.h"

#include <algorithm>
#include <mutex>

#include "piq/QFPIQ.h"
#include "qf/CQFComponentThread.h"
#include "qf/QFAssert.h"

namespace {

// Every live proxy, and the thread each consumer receives its notifications on.
struct Registry {
    std::mutex mutex;
    uint64_t nextId = 1;
    std::map<uint64_t, CQFProxyBase*> proxies;
    std::map<IQFEventConsumerBase*, CQFComponentThread*> consumers;
};
Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

CQFComponentThread* consumerThread(IQFEventConsumerBase* consumer) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto found = r.consumers.find(consumer);
    return found == r.consumers.end() ? nullptr : found->second;
}

void noteConsumer(IQFEventConsumerBase* consumer, CQFComponentThread* fallback) {
    CQFComponentThread* thread = CQFComponentThread::current();
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.consumers[consumer] = thread ? thread : fallback;
}

// One notification delivery. finish() ends it on the consumer's thread after delivery; a
// delivery dropped undelivered (its thread stopped) only gives back what it holds, as its
// proxy can process nothing more then.
struct SDelivery {
    explicit SDelivery(CQFProxyNotificationEvent* event) : mEvent(event) {}
    SDelivery(const SDelivery&) = delete;
    SDelivery& operator=(const SDelivery&) = delete;

    CQFProxyNotificationEvent* mEvent;
    bool mFinished = false;

    void finish() {
        mFinished = true;
        if (!mEvent->mIsEmbedded) {
            delete mEvent;  // its destructor ends the delivery
            return;
        }
        CQFProxyBase* proxy = mEvent->mProxy;
        proxy->embeddedNotificationDone();
        proxy->decrementResponse();
        proxy->freeProxyInstance(nullptr);
    }
    ~SDelivery() {
        if (mFinished) return;
        CQFProxyBase* proxy = mEvent->mProxy;
        if (!mEvent->mIsEmbedded) {
            mEvent->mProxy = nullptr;
            delete mEvent;
        }
        proxy->freeProxyInstance(nullptr);
    }
};

}  // namespace

CQFProxyNotificationEvent::~CQFProxyNotificationEvent() {
    if (mIsEmbedded || !mProxy) return;
    CQFProxyBase* proxy = mProxy;
    proxy->decrementResponse();
    proxy->freeProxyInstance(nullptr);
}

void CQFProxyNotificationEvent::fill(CQFProxyBase* proxy, uint32_t updateId, uint32_t resultType,
                                     uint32_t sequenceNumber, IQFEventConsumerBase* consumer) {
    mProxy = proxy;
    mUpdateId = updateId;
    mResultType = resultType;
    mSequenceNumber = sequenceNumber;
    mConsumer = consumer;
}

CQFProxyBase::CQFProxyBase(const SQFProxyInfo& info, const SQFInterfaceDescription& description)
    : mInfo(info), mDescription(description), mThread(CQFComponentThread::current()) {}

CQFProxyBase::~CQFProxyBase() {
    QFPIQ::detach(mId);
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.proxies.erase(mId);
}

CQFProxyBase* CQFProxyBase::findOrCreateProxy(const char* interfaceName, const char* roleName,
                                              FQFProxyFactory factory, IQFProxyConnectListener* listener,
                                              bool connect, uint8_t /*flag*/) {
    const CQFComponentInfo* component = CQFComponentInfo::getCurrent();
    const CQFString role = component ? component->getMappedComponentName(roleName) : CQFString(roleName);
    CQFProxyBase* proxy = nullptr;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (auto& entry : r.proxies) {
            if (entry.second->mInfo.mInterfaceName == interfaceName && entry.second->mInfo.mRoleName == role) {
                proxy = entry.second;
            }
        }
    }
    if (!proxy) {
        const CQFString serviceName = CQFString(role).append('.').append(interfaceName);
        QFPIQ::SImport import;
        if (!factory || !QFPIQ::findImport(serviceName, import)) return nullptr;
        proxy = factory(role, import.mAddress);
        if (!proxy) return nullptr;
        {
            Registry& r = registry();
            std::lock_guard<std::mutex> lock(r.mutex);
            proxy->mId = r.nextId++;
            r.proxies[proxy->mId] = proxy;
        }
        if (connect) QFPIQ::attach(proxy->mId, serviceName);
    }
    proxy->addRef();
    if (listener && std::find(proxy->mConnectListeners.begin(), proxy->mConnectListeners.end(), listener) ==
                        proxy->mConnectListeners.end()) {
        proxy->mConnectListeners.push_back(listener);
        if (proxy->mConnected) {
            postToProxy(proxy->mId, [listener](CQFProxyBase& p) {
                const auto& ls = p.mConnectListeners;
                if (p.mConnected && std::find(ls.begin(), ls.end(), listener) != ls.end()) {
                    listener->componentConnected(&p);
                }
            });
        }
    }
    return proxy;
}

void CQFProxyBase::freeProxyInstance(IQFProxyConnectListener* listener) {
    if (listener) clearConnect(listener);
    release();
}

void CQFProxyBase::clearConnect(IQFProxyConnectListener* listener) {
    mConnectListeners.erase(std::remove(mConnectListeners.begin(), mConnectListeners.end(), listener),
                            mConnectListeners.end());
}

void CQFProxyBase::postToProxy(uint64_t proxyId, std::function<void(CQFProxyBase&)> work) {
    CQFComponentThread* thread = nullptr;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        auto found = r.proxies.find(proxyId);
        if (found == r.proxies.end()) return;
        thread = found->second->mThread;
    }
    if (!thread) return;
    thread->post([proxyId, work] {
        CQFProxyBase* proxy = nullptr;
        {
            Registry& r = registry();
            std::lock_guard<std::mutex> lock(r.mutex);
            auto found = r.proxies.find(proxyId);
            if (found != r.proxies.end()) proxy = found->second;
        }
        // Proxies die on their own thread, so one found here lives through the work.
        if (proxy) work(*proxy);
    });
}

bool CQFProxyBase::isRequestPossible(uint32_t requestIndex, const char* interfaceName) const {
    return mConnected && mInfo.mInterfaceName == interfaceName && requestIndex < mDescription.mRequestCount;
}

void CQFProxyBase::addListener(uint32_t responseId, uint32_t sequenceNumber, IQFEventConsumerBase* consumer) {
    if (!consumer) return;
    noteConsumer(consumer, mThread);
    mPendingResponses.push_back({responseId, sequenceNumber, consumer});
}

bool CQFProxyBase::sendRequestEvent(CQFServiceRequestEvent* event) {
    std::unique_ptr<CQFServiceRequestEvent> owned(event);
    return owned && QFPIQ::send(*owned);
}

bool CQFProxyBase::sendGenericRequestEvent(uint32_t requestId) {
    CQFGenericRequestEvent* event = new CQFGenericRequestEvent(mInfo, static_cast<int32_t>(requestId));
    event->setSequenceNumber(incrementRequestCounter());
    return sendRequestEvent(event);
}

void CQFProxyBase::sendSubscription(uint32_t updateId) {
    if (mConnected) sendGenericRequestEvent(updateId);
}

void CQFProxyBase::setNotification(uint32_t updateId, IQFEventConsumerBase* consumer) {
    if (!consumer) return;
    noteConsumer(consumer, mThread);
    std::vector<IQFEventConsumerBase*>& subscribers = mSubscriptions[updateId];
    if (std::find(subscribers.begin(), subscribers.end(), consumer) != subscribers.end()) return;
    subscribers.push_back(consumer);
    sendSubscription(updateId);
}

void CQFProxyBase::clearAllNotifications(IQFEventConsumerBase* consumer, bool sendClear) {
    bool changed = false;
    for (auto it = mSubscriptions.begin(); it != mSubscriptions.end();) {
        std::vector<IQFEventConsumerBase*>& subscribers = it->second;
        const size_t before = subscribers.size();
        subscribers.erase(std::remove(subscribers.begin(), subscribers.end(), consumer), subscribers.end());
        changed |= subscribers.size() != before;
        it = subscribers.empty() ? mSubscriptions.erase(it) : std::next(it);
    }
    if (!changed || !sendClear || !mConnected) return;
    // The service knows only "all off": the other consumers' attributes are asked for again.
    sendGenericRequestEvent(kQFRequestIdClearAllNotifications);
    for (const auto& entry : mSubscriptions) sendSubscription(entry.first);
}

void CQFProxyBase::stopAllServiceNotifications() {
    if (!mSubscriptions.empty() && mConnected) sendGenericRequestEvent(kQFRequestIdClearAllNotifications);
    mSubscriptions.clear();
}

void CQFProxyBase::clearConsumer(IQFEventConsumerBase* consumer) { forgetConsumer(consumer); }

void CQFProxyBase::forgetConsumer(IQFEventConsumerBase* consumer) {
    clearAllNotifications(consumer, true);
    mPendingResponses.erase(std::remove_if(mPendingResponses.begin(), mPendingResponses.end(),
                                           [consumer](const SPendingResponse& p) { return p.mConsumer == consumer; }),
                            mPendingResponses.end());
}

QFServices::DataStateType CQFProxyBase::getDataState(uint32_t updateId) const {
    auto found = mDataStates.find(updateId);
    return found == mDataStates.end() ? QFServices::eDataState_Invalid : found->second;
}

void CQFProxyBase::onConnectionChanged(bool connected) {
    TQFRef<CQFProxyBase> keep(this);  // a listener may give its instance back
    if (mConnected == connected) return;
    mConnected = connected;
    if (connected) {
        for (const auto& entry : mSubscriptions) sendSubscription(entry.first);
    } else {
        failPendingRequests();
    }
    const std::vector<IQFProxyConnectListener*> listeners = mConnectListeners;
    for (IQFProxyConnectListener* listener : listeners) {
        if (std::find(mConnectListeners.begin(), mConnectListeners.end(), listener) == mConnectListeners.end()) continue;
        if (connected) {
            listener->componentConnected(this);
        } else {
            listener->componentDisconnected(this);
        }
    }
}

// The answers of the requests in flight will never come: each is answered here as a failed
// request (516), through the import's factory, as if the service had sent it.
void CQFProxyBase::failPendingRequests() {
    const std::vector<SPendingResponse> pending = mPendingResponses;
    QFPIQ::SImport import;
    const CQFString serviceName = CQFString(mInfo.mRoleName).append('.').append(mInfo.mInterfaceName);
    if (pending.empty() || !QFPIQ::findImport(serviceName, import)) return;
    for (const SPendingResponse& p : pending) {
        uint32_t requestIndex = 0;
        while (requestIndex < mDescription.mRequestCount && mDescription.mResponseIds[requestIndex] != p.mResponseId) {
            ++requestIndex;
        }
        SQFServiceEventHeader header;
        header.mAddress = mInfo.mAddress;
        header.mId = requestIndex;
        header.mResultType = QFServices::eResultType_RequestFailed;
        header.mSequenceNumber = p.mSequenceNumber;
        CQFPIQOStream out;
        header.write(out);
        CQFPIQIStream in(out.getBytes());
        FQFResponseEventFactory factory = import.mEntry->mResponseFactory;
        onResponseEvent(factory ? factory(in) : QFComponentEvents::createServiceResponseEventPIQ(in));
    }
}

void CQFProxyBase::onResponseEvent(CQFServiceResponseEvent* event) {
    if (!event) return;
    mBacklog.emplace_back(event);
    processNextEvent();
}

void CQFProxyBase::processNextEvent() {
    if (mProcessing) return;
    TQFRef<CQFProxyBase> keep(this);
    mProcessing = true;
    while (!mResponseKept && mOutstandingDeliveries == 0 && !mBacklog.empty()) {
        std::unique_ptr<CQFServiceResponseEvent> event = std::move(mBacklog.front());
        mBacklog.pop_front();
        processProxyEvent(*event);
        if (!event->isDeletionSkipped()) continue;
        event.release();  // the proxy's current response now
        if (mOutstandingDeliveries > 0) {
            mResponseKept = true;
        } else {
            releaseCurrentResponse();
        }
    }
    mProcessing = false;
}

void CQFProxyBase::decrementResponse() {
    if (mOutstandingDeliveries > 0) --mOutstandingDeliveries;
    if (mOutstandingDeliveries > 0 || !mResponseKept) {
        if (mOutstandingDeliveries == 0) processNextEvent();
        return;
    }
    mResponseKept = false;
    releaseCurrentResponse();
    processNextEvent();
}

bool CQFProxyBase::notifyListeners(uint32_t updateId, uint32_t /*receivedUpdateId*/, uint32_t resultType,
                                   uint32_t sequenceNumber, bool isResponse) {
    std::vector<IQFEventConsumerBase*> consumers;
    auto pending = std::find_if(mPendingResponses.begin(), mPendingResponses.end(), [&](const SPendingResponse& p) {
        return p.mResponseId == updateId && p.mSequenceNumber == sequenceNumber;
    });
    if (isResponse && pending != mPendingResponses.end()) {
        consumers.push_back(pending->mConsumer);
        mPendingResponses.erase(pending);
    }
    auto subscribers = mSubscriptions.find(updateId);
    if (subscribers != mSubscriptions.end()) {
        for (IQFEventConsumerBase* c : subscribers->second) {
            if (std::find(consumers.begin(), consumers.end(), c) == consumers.end()) consumers.push_back(c);
        }
    }
    for (IQFEventConsumerBase* consumer : consumers) {
        createAndSendNotificationEvent(updateId, resultType, sequenceNumber, consumer);
    }
    return mOutstandingDeliveries > 0;
}

void CQFProxyBase::sendNotificationEvent(CQFProxyNotificationEvent* event) {
    ++mOutstandingDeliveries;
    addRef();  // given back by freeProxyInstance when the delivery ends
    CQFComponentThread* thread = consumerThread(event->mConsumer);
    CQFComponentThread* target = thread ? thread : mThread;
    auto delivery = std::make_shared<SDelivery>(event);
    const bool posted = target && target->post([delivery] {
        CQFProxyNotificationEvent* e = delivery->mEvent;
        // A consumer forgotten since the event was sent receives nothing.
        if (consumerThread(e->mConsumer)) e->mConsumer->deliverEvent(*e);
        delivery->finish();
    });
    if (!posted) delivery->finish();
}

void CQFProxyBase::processGenericResponseEvent(CQFServiceResponseEvent& event) {
    // Nothing of it is read through getters, so it is not kept as the current response.
    const uint32_t id = event.getUpdateId();
    notifyListeners(id, id, event.getResultType(), event.getSequenceNumber(),
                    id >= kQFFirstResponseId && id < kQFFirstAttributeId);
}

void CQFProxyBase::onInvalidParameterAccessed(const char* classText, const char* parameterName) const {
    doAssert(__LINE__, "CQFProxyBase", classText, parameterName);
}

namespace CQFProxyMux {

void removeConsumer(const CQFString& interfaceName, IQFEventConsumerBase* consumer) {
    std::vector<CQFProxyBase*> proxies;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        r.consumers.erase(consumer);
        for (auto& entry : r.proxies) {
            if (entry.second->getProxyInfo().mInterfaceName == interfaceName) proxies.push_back(entry.second);
        }
    }
    for (CQFProxyBase* proxy : proxies) proxy->forgetConsumer(consumer);
}

}  // namespace CQFProxyMux
