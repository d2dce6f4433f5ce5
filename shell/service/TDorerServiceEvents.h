// The pattern every settings service interface's events follow: a request event holding the
// request's parameters, a response event holding the value of its update id, a notification
// event for the consumers, and the consumer base. TDerived is the named class (it declares
// its class id); TWire gives the interface's payload types and functions.
#pragma once

#include "piq/CQFProxyBase.h"
#include "piq/CQFServiceEvent.h"

template <class TDerived, class TWire>
class TDorerRequestEvent : public CQFServiceRequestEvent {
public:
    using Payload = typename TWire::RequestPayload;

    TDorerRequestEvent(const SQFProxyInfo& info, int32_t requestId) : CQFServiceRequestEvent(info, requestId) {
        mPayload.mRequestId = requestId;
    }
    void* castToPtr(const CQFClassID& id) override {
        return id == TDerived::classID() ? this : CQFServiceRequestEvent::castToPtr(id);
    }
    void readFromStream(IQFIStream& in) override {
        readHeader(in);
        mPayload.mRequestId = static_cast<int32_t>(mHeader.mId);
        TWire::readRequest(in, mPayload);
    }
    void writeToStream(IQFOStream& out) const override {
        writeHeader(out);
        TWire::writeRequest(out, mPayload);
    }

    // The import's request serializer.
    static void serialize(CQFPIQOStream& out, CQFServiceRequestEvent& event) {
        if (TDerived* own = event.castTo<TDerived>()) {
            own->writeHeader(out);
            TWire::writeRequest(out, own->mPayload);
        } else {
            QFComponentEvents::serializeServiceRequestEventPIQ(out, event);
        }
    }

    Payload mPayload;
};

template <class TDerived, class TWire>
class TDorerResponseEvent : public CQFServiceResponseEvent {
public:
    using Payload = typename TWire::ResponsePayload;

    void* castToPtr(const CQFClassID& id) override {
        return id == TDerived::classID() ? this : CQFServiceResponseEvent::castToPtr(id);
    }
    CQFServiceResponseEvent* clone(const SQFServiceAddress& address) const override {
        TDerived* copy = new TDerived(static_cast<const TDerived&>(*this));
        copy->mHeader.mAddress = address;
        copy->mSkipDeletion = false;
        return copy;
    }
    void readFromStream(IQFIStream& in) override {
        readHeader(in);
        mPayload.mUpdateId = mHeader.mId;
        TWire::readResponse(in, mPayload);
    }
    void writeToStream(IQFOStream& out) const override {
        writeHeader(out);
        TWire::writeResponse(out, mPayload);
    }

    // The import's response-event factory: the payload follows only where the result type
    // says so; without it the value keeps its default.
    static CQFServiceResponseEvent* create(CQFPIQIStream& in) {
        TDerived* event = new TDerived;
        event->readHeader(in);
        event->mPayload.mUpdateId = event->mHeader.mId;
        if (QFServices::hasPayload(event->mHeader.mId, event->mHeader.mResultType)) {
            TWire::readResponse(in, event->mPayload);
        }
        return event;
    }

    Payload mPayload;
};

// The base of a consumer of one interface's notifications; it leaves the proxies of the
// interface when it dies.
template <class TNotificationEvent>
class TDorerServiceConsumer : public IQFEventConsumer<TNotificationEvent> {
public:
    ~TDorerServiceConsumer() override { CQFProxyMux::removeConsumer(TNotificationEvent::kInterfaceName, this); }
};

#define DORER_SERVICE_WIRE(Interface)                                                                         \
    struct S##Interface##Wire {                                                                               \
        using RequestPayload = Interface::SRequestPayload;                                                    \
        using ResponsePayload = Interface::SResponsePayload;                                                  \
        static void readRequest(IQFIStream& in, RequestPayload& p) { Interface::readRequestPayload(in, p); }  \
        static void writeRequest(IQFOStream& out, const RequestPayload& p) {                                  \
            Interface::writeRequestPayload(out, p);                                                           \
        }                                                                                                     \
        static void readResponse(IQFIStream& in, ResponsePayload& p) { Interface::readResponsePayload(in, p); } \
        static void writeResponse(IQFOStream& out, const ResponsePayload& p) {                                \
            Interface::writeResponsePayload(out, p);                                                          \
        }                                                                                                     \
    };

// The four classes of one interface: C<Interface>RequestEvent, ...ResponseEvent,
// ...NotificationEvent and the consumer base I<Interface>Consumer.
#define DORER_SERVICE_EVENTS(Interface)                                                                  \
    DORER_SERVICE_WIRE(Interface)                                                                        \
    class C##Interface##RequestEvent : public TDorerRequestEvent<C##Interface##RequestEvent, S##Interface##Wire> { \
    public:                                                                                              \
        QF_DECLARE_EVENT_CLASS(C##Interface##RequestEvent)                                               \
        using TDorerRequestEvent::TDorerRequestEvent;                                                    \
    };                                                                                                   \
    class C##Interface##ResponseEvent                                                                    \
        : public TDorerResponseEvent<C##Interface##ResponseEvent, S##Interface##Wire> {                  \
    public:                                                                                              \
        QF_DECLARE_EVENT_CLASS(C##Interface##ResponseEvent)                                              \
    };                                                                                                   \
    class C##Interface##NotificationEvent : public CQFProxyNotificationEvent {                           \
    public:                                                                                              \
        QF_DECLARE_EVENT_CLASS(C##Interface##NotificationEvent)                                          \
        static constexpr const char* kInterfaceName = Interface::kInterfaceName;                         \
    };                                                                                                   \
    using I##Interface##Consumer = TDorerServiceConsumer<C##Interface##NotificationEvent>;
