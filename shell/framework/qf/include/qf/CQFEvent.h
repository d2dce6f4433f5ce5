// Events between threads. An event class is identified by a CQFClassID built from its class
// name; a consumer registers for a class id on its own component thread (CQFComponentThread),
// and every event sent later is delivered by processEvent on that thread, in sending order.
//
//   class CMyEvent : public CQFInternalEvent {
//   public:
//       QF_DECLARE_EVENT_CLASS(CMyEvent)
//       int mValue = 0;
//   };
//   class CMyListener : public IQFEventConsumer<CMyEvent> {
//       void processEvent(CMyEvent& event) override;
//   };
//   CQFEvent::addListener<CMyEvent>(&listener);     // on the listener's component thread
//   (new CMyEvent)->send();                         // from any thread; the framework deletes it
#pragma once

#include <cstdint>

#include "qf/CQFString.h"

class CQFClassID {
public:
    explicit CQFClassID(const char* className);
    uint32_t getValue() const { return mValue; }
    const char* getName() const { return mName.getCString(); }
    bool operator==(const CQFClassID& other) const { return mValue == other.mValue && mName == other.mName; }
    bool operator!=(const CQFClassID& other) const { return !(*this == other); }

private:
    CQFString mName;
    uint32_t mValue;  // FNV-1a of the name
};

#define QF_DECLARE_EVENT_CLASS(ClassName)            \
    static const CQFClassID& classID() {             \
        static const CQFClassID sClassID(#ClassName); \
        return sClassID;                             \
    }                                                \
    const CQFClassID& getClassID() const override { return classID(); }

class CQFEvent;

class IQFEventConsumerBase {
public:
    virtual ~IQFEventConsumerBase() = default;
    virtual void deliverEvent(CQFEvent& event) = 0;
};

// One base per event class a consumer listens for.
template <class TEvent>
class IQFEventConsumer : public IQFEventConsumerBase {
public:
    virtual void processEvent(TEvent& event) = 0;
    void deliverEvent(CQFEvent& event) override { processEvent(static_cast<TEvent&>(event)); }
};

class CQFEvent {
public:
    virtual ~CQFEvent() = default;
    virtual const CQFClassID& getClassID() const = 0;

    // Registers consumer for the class on the calling thread's component thread; false when
    // the calling thread is no component thread. A consumer removes itself before it dies.
    static bool addListener(const CQFClassID& classID, IQFEventConsumerBase* consumer);
    static void removeListener(const CQFClassID& classID, IQFEventConsumerBase* consumer);
    template <class TEvent>
    static bool addListener(IQFEventConsumer<TEvent>* consumer) {
        return addListener(TEvent::classID(), consumer);
    }
    template <class TEvent>
    static void removeListener(IQFEventConsumer<TEvent>* consumer) {
        removeListener(TEvent::classID(), consumer);
    }
};

// An event within the process. Allocate with new; send() hands it to the framework, which
// delivers it to every listener of its class and then deletes it.
class CQFInternalEvent : public CQFEvent {
public:
    // False when no listener is registered (the event is deleted all the same).
    bool send();
};
