#include "qf/CQFEvent.h"

#include <memory>
#include <mutex>
#include <vector>

#include "qf/CQFComponentThread.h"

namespace {

struct Listener {
    uint32_t classValue;
    IQFEventConsumerBase* consumer;
    CQFComponentThread* thread;
};

struct Registry {
    std::mutex mutex;
    std::vector<Listener> listeners;

    bool registered(uint32_t classValue, IQFEventConsumerBase* consumer) {
        std::lock_guard<std::mutex> lock(mutex);
        for (const Listener& l : listeners) {
            if (l.classValue == classValue && l.consumer == consumer) return true;
        }
        return false;
    }
};

Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

uint32_t fnv1a(const char* text) {
    uint32_t hash = 2166136261u;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        hash ^= *p;
        hash *= 16777619u;
    }
    return hash;
}

}  // namespace

CQFClassID::CQFClassID(const char* className) : mName(className), mValue(fnv1a(mName.getCString())) {}

bool CQFEvent::addListener(const CQFClassID& classID, IQFEventConsumerBase* consumer) {
    CQFComponentThread* thread = CQFComponentThread::current();
    if (!thread || !consumer) return false;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.listeners.push_back({classID.getValue(), consumer, thread});
    return true;
}

void CQFEvent::removeListener(const CQFClassID& classID, IQFEventConsumerBase* consumer) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (auto it = r.listeners.begin(); it != r.listeners.end();) {
        if (it->classValue == classID.getValue() && it->consumer == consumer) {
            it = r.listeners.erase(it);
        } else {
            ++it;
        }
    }
}

bool CQFInternalEvent::send() {
    std::shared_ptr<CQFEvent> event(this);
    const uint32_t classValue = getClassID().getValue();
    std::vector<Listener> targets;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (const Listener& l : r.listeners) {
            if (l.classValue == classValue) targets.push_back(l);
        }
    }
    bool delivered = false;
    for (const Listener& target : targets) {
        // A consumer may have gone between sending and delivery: deliver only while it is
        // still registered (removal happens on its own thread, so this check is final).
        delivered |= target.thread->post([event, target] {
            if (registry().registered(target.classValue, target.consumer)) target.consumer->deliverEvent(*event);
        });
    }
    return delivered;
}
