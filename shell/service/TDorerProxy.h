// The pattern of the four settings service proxies: the current response with its getters,
// the embedded notification event, the implementation version, processing by result type and
// the request sequence. TDerived adds the cached attributes (cacheAttribute) and the request
// operations; TEvents is the interface's event set.
#pragma once

#include "piq/CQFProxyBase.h"
#include "qf/QFAssert.h"

// How a proxy treats result types 512 to 515.
enum EDorerProxyKind {
    eDorerProxyAttributes,  // caches attributes (OnOff, ClientStore)
    eDorerProxyRequests,    // requests only (Admin)
    eDorerProxyPage,        // the page's change id (ClientGet)
};

template <class TDerived, class TRequestEvent, class TResponseEvent, class TNotificationEvent, EDorerProxyKind kKind>
class TDorerProxy : public CQFProxyBase {
public:
    using Payload = typename TResponseEvent::Payload;

    // The proxy of the interface under roleName; null when the service is not imported.
    static TDerived* createProxy(const char* roleName, IQFProxyConnectListener* listener) {
        return static_cast<TDerived*>(findOrCreateProxy(TDerived::kInterfaceName, roleName, &factory, listener, true,
                                                        TDerived::description().mFlag));
    }

    const SQFImplementationVersion& getImplementationVersion() const { return mImplementationVersion; }
    // The response whose notifications are being delivered, or null.
    const TResponseEvent* getCurrentResponse() const { return mCurrentResponse; }

protected:
    TDorerProxy(const CQFString& roleName, const SQFServiceAddress& address)
        : CQFProxyBase({address, TDerived::kInterfaceName, roleName}, TDerived::description()) {
        mEmbedded.mIsEmbedded = true;
    }
    ~TDorerProxy() override {
        stopAllServiceNotifications();
        releaseCurrentResponse();
    }

    // Caches the value the event carries, when it is an attribute of the interface.
    virtual void cacheAttribute(const Payload&) {}

    // The request sequence: the sequence number, or -1 without sending.
    template <class TFill>
    int32_t sendRequest(uint32_t requestIndex, IQFEventConsumerBase* consumer, TFill fill) {
        if (!isRequestPossible(requestIndex, TDerived::kInterfaceName)) return -1;
        const uint32_t sequenceNumber = incrementRequestCounter();
        addListener(getDescription().mResponseIds[requestIndex], sequenceNumber, consumer);
        TRequestEvent* event = new TRequestEvent(getProxyInfo(), static_cast<int32_t>(requestIndex));
        fill(event->mPayload);
        event->setSequenceNumber(sequenceNumber);
        sendRequestEvent(event);
        return static_cast<int32_t>(sequenceNumber);
    }

    // A parameter of the current response, or (reported through onInvalidParameterAccessed)
    // a default value.
    template <class T>
    const T& getParameter(uint32_t updateId, T Payload::*member, const char* noResponseText,
                          const char* parameterText) const {
        static const Payload kDefault;
        if (!mCurrentResponse) {
            onInvalidParameterAccessed(TDerived::kClassText, noResponseText);
            return kDefault.*member;
        }
        if (mCurrentResponse->getUpdateId() != updateId) {
            onInvalidParameterAccessed(TDerived::kClassText, parameterText);
            return kDefault.*member;
        }
        return mCurrentResponse->mPayload.*member;
    }

    void processProxyEvent(CQFServiceResponseEvent& event) override {
        if (!(event.getServiceAddress() == getServiceAddress())) {
            doCheapAssert(__LINE__, TDerived::kSourceName);
            return;
        }
        TResponseEvent* own = event.castTo<TResponseEvent>();
        if (!own) {
            if (event.castTo<CQFServiceResponseEvent>()) {
                processGenericResponseEvent(event);
            } else {
                doCheapAssert(__LINE__, TDerived::kSourceName);
            }
            return;
        }
        const uint32_t received = own->getUpdateId();
        uint32_t updateId = received;
        const uint32_t resultType = own->getResultType();
        switch (resultType) {
            case QFServices::eResultType_Ok:
                if (kKind == eDorerProxyAttributes) cacheAttribute(own->mPayload);
                if (received == kQFUpdateIdImplementationVersion) mImplementationVersion = own->getImplementationVersion();
                break;
            case QFServices::eResultType_Invalid:
                if (kKind != eDorerProxyPage) setDataState(updateId, QFServices::eDataState_Invalid);
                break;
            case QFServices::eResultType_Valid:
                if (kKind != eDorerProxyRequests) {
                    cacheAttribute(own->mPayload);
                    setDataState(updateId, QFServices::eDataState_Valid);
                }
                break;
            case QFServices::eResultType_NotificationInvalid:
                if (kKind != eDorerProxyRequests) setDataState(updateId, QFServices::eDataState_Invalid);
                break;
            case QFServices::eResultType_RequestFailed:
            case QFServices::eResultType_RequestError:
                // The id is the failed request's index: the consumers know its response id.
                if (received < getDescription().mRequestCount) {
                    updateId = getDescription().mResponseIds[received];
                    own->getHeader().mId = updateId;
                    own->mPayload.mUpdateId = updateId;
                    setDataState(updateId, QFServices::eDataState_Invalid);
                }
                break;
            default: break;
        }
        const bool isResponse = updateId >= kQFFirstResponseId && updateId < kQFFirstAttributeId;
        if (notifyListeners(updateId, received, resultType, own->getSequenceNumber(), isResponse)) {
            mCurrentResponse = own;  // no other is kept: the base holds later events back
            own->skipDeletion();
        }
    }

    void releaseCurrentResponse() override {
        delete mCurrentResponse;
        mCurrentResponse = nullptr;
    }

    void createAndSendNotificationEvent(uint32_t updateId, uint32_t resultType, uint32_t sequenceNumber,
                                        IQFEventConsumerBase* consumer) override {
        TNotificationEvent* event = &mEmbedded;
        if (mEmbeddedInUse) {
            event = new TNotificationEvent;
        } else {
            mEmbeddedInUse = true;
        }
        event->fill(this, updateId, resultType, sequenceNumber, consumer);
        sendNotificationEvent(event);
    }

    void embeddedNotificationDone() override { mEmbeddedInUse = false; }

private:
    static CQFProxyBase* factory(const CQFString& roleName, const SQFServiceAddress& address) {
        return new TDerived(roleName, address);
    }

    SQFImplementationVersion mImplementationVersion;
    TResponseEvent* mCurrentResponse = nullptr;
    TNotificationEvent mEmbedded;
    bool mEmbeddedInUse = false;
};
