// Service proxies: the importing side's object for one interface of one service role.
//
// A proxy is created by findOrCreateProxy (one instance reference per call, given back with
// freeProxyInstance) on its component thread; everything of it runs there: connection
// reports to its IQFProxyConnectListeners, response events from the middleware, and the
// notification events it sends to its consumers (each delivered on the consumer's own
// component thread). A connection that goes is reported and reconnected by the middleware;
// every reconnection is reported again.
//
// Requests: a derived proxy checks isRequestPossible, takes the next sequence number
// (incrementRequestCounter), registers the consumer of the response (addListener) and sends
// the request event (sendRequestEvent). Attribute updates reach the consumers that asked
// with setNotification.
//
// Responses: the middleware hands every response event of the service to processProxyEvent.
// The proxy calls notifyListeners; for each consumer the framework calls
// createAndSendNotificationEvent, and the proxy sends its event with sendNotificationEvent.
// While deliveries are outstanding the proxy keeps the event as its current response
// (skipDeletion) and later events wait; when the last delivery is done the framework calls
// releaseCurrentResponse.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "piq/CQFServiceEvent.h"
#include "qf/CQFEvent.h"
#include "qf/CQFThreadSafeRefCounter.h"

class CQFProxyBase;
class CQFComponentThread;

class IQFProxyConnectListener {
public:
    virtual ~IQFProxyConnectListener() = default;
    virtual void componentConnected(CQFProxyBase* proxy) = 0;
    virtual void componentDisconnected(CQFProxyBase* proxy) = 0;
};

// The base of the interfaces' notification events: sent by a proxy to one consumer.
class CQFProxyNotificationEvent : public CQFInternalEvent {
public:
    ~CQFProxyNotificationEvent() override;  // an allocated event gives its delivery back
    void fill(CQFProxyBase* proxy, uint32_t updateId, uint32_t resultType, uint32_t sequenceNumber,
              IQFEventConsumerBase* consumer);

    CQFProxyBase* mProxy = nullptr;
    uint32_t mResultType = 0;
    uint32_t mUpdateId = static_cast<uint32_t>(-1);
    uint32_t mSequenceNumber = 0;
    IQFEventConsumerBase* mConsumer = nullptr;
    bool mIsEmbedded = false;  // the proxy's own instance, reused
};

class CQFProxyBase : public CQFThreadSafeRefCounter {
public:
    using FQFProxyFactory = CQFProxyBase* (*)(const CQFString& roleName, const SQFServiceAddress& address);

    // The proxy of interfaceName under roleName (mapped through the current component's
    // component mapping, "DorerService" -> "DorerSrv"): the existing one, or a new one from
    // factory. Null when the process does not import the service. listener (may be null)
    // hears the connection reports; when the proxy is connected already it hears
    // componentConnected soon after.
    static CQFProxyBase* findOrCreateProxy(const char* interfaceName, const char* roleName, FQFProxyFactory factory,
                                           IQFProxyConnectListener* listener, bool connect, uint8_t flag);
    // Gives one instance reference back; listener (when not null) hears no more reports.
    void freeProxyInstance(IQFProxyConnectListener* listener);

    bool isConnected() const { return mConnected; }
    const SQFProxyInfo& getProxyInfo() const { return mInfo; }
    const SQFServiceAddress& getServiceAddress() const { return mInfo.mAddress; }
    const SQFInterfaceDescription& getDescription() const { return mDescription; }
    // Connected, the interface is this proxy's and the request index exists.
    bool isRequestPossible(uint32_t requestIndex, const char* interfaceName) const;

    // consumer receives the attribute's updates (asks the service when connected, and again
    // after each reconnection).
    void setNotification(uint32_t updateId, IQFEventConsumerBase* consumer);
    // consumer receives no more updates; sendClear also tells the service.
    void clearAllNotifications(IQFEventConsumerBase* consumer, bool sendClear);
    QFServices::DataStateType getDataState(uint32_t updateId) const;

    // The middleware's deliveries (on the proxy's thread); the proxy owns the event.
    void onConnectionChanged(bool connected);
    void onResponseEvent(CQFServiceResponseEvent* event);
    // Runs work on the proxy's thread while the proxy of that id still lives then.
    static void postToProxy(uint64_t proxyId, std::function<void(CQFProxyBase&)> work);
    // Forgets the consumer: its subscriptions, its pending responses, its undelivered events.
    void forgetConsumer(IQFEventConsumerBase* consumer);

    // Ends one notification delivery (called by the notification events).
    void decrementResponse();
    // The proxy's embedded notification event is free again.
    virtual void embeddedNotificationDone() {}

protected:
    CQFProxyBase(const SQFProxyInfo& info, const SQFInterfaceDescription& description);
    ~CQFProxyBase() override;

    // The slots a proxy class fills.
    virtual void processProxyEvent(CQFServiceResponseEvent& event) = 0;
    virtual void clearConsumer(IQFEventConsumerBase* consumer);
    virtual void releaseCurrentResponse() = 0;
    virtual void clearConnect(IQFProxyConnectListener* listener);
    virtual void createAndSendNotificationEvent(uint32_t updateId, uint32_t resultType, uint32_t sequenceNumber,
                                                IQFEventConsumerBase* consumer) = 0;
    virtual bool sendGenericRequestEvent(uint32_t requestId);

    uint32_t incrementRequestCounter() { return ++mRequestCounter; }
    void addListener(uint32_t responseId, uint32_t sequenceNumber, IQFEventConsumerBase* consumer);
    // Hands the event to the middleware, which serializes and deletes it; false when the
    // service is not connected.
    bool sendRequestEvent(CQFServiceRequestEvent* event);
    void setDataState(uint32_t updateId, QFServices::DataStateType state) { mDataStates[updateId] = state; }
    // Notifies the consumers of the update (a response: the consumer of its sequence number;
    // an attribute: every subscriber). True when deliveries are outstanding, so that the
    // proxy keeps the event as its current response.
    bool notifyListeners(uint32_t updateId, uint32_t receivedUpdateId, uint32_t resultType, uint32_t sequenceNumber,
                         bool isResponse);
    // Posts the event to its consumer's thread; afterwards an allocated event is deleted, the
    // embedded one handed to embeddedNotificationDone.
    void sendNotificationEvent(CQFProxyNotificationEvent* event);
    // A response event of a class the proxy does not know: notified by its header.
    void processGenericResponseEvent(CQFServiceResponseEvent& event);
    // A getter was called without a matching current response: an assertion.
    void onInvalidParameterAccessed(const char* classText, const char* parameterName) const;
    void stopAllServiceNotifications();

private:
    friend class CQFProxyNotificationEvent;
    struct SPendingResponse {
        uint32_t mResponseId;
        uint32_t mSequenceNumber;
        IQFEventConsumerBase* mConsumer;
    };
    void processNextEvent();
    void sendSubscription(uint32_t updateId);
    void failPendingRequests();

    SQFProxyInfo mInfo;
    const SQFInterfaceDescription& mDescription;
    CQFComponentThread* mThread;
    uint64_t mId = 0;
    bool mConnected = false;
    uint32_t mRequestCounter = 0;
    std::vector<IQFProxyConnectListener*> mConnectListeners;
    std::map<uint32_t, QFServices::DataStateType> mDataStates;
    std::vector<SPendingResponse> mPendingResponses;
    std::map<uint32_t, std::vector<IQFEventConsumerBase*>> mSubscriptions;
    std::deque<std::unique_ptr<CQFServiceResponseEvent>> mBacklog;
    bool mResponseKept = false;
    bool mProcessing = false;
    int mOutstandingDeliveries = 0;
};

namespace CQFProxyMux {
// Forgets the consumer in every proxy of the interface: no notification reaches it any more,
// also none already sent. Event-consumer bases call this from their destructors.
void removeConsumer(const CQFString& interfaceName, IQFEventConsumerBase* consumer);
}  // namespace CQFProxyMux
