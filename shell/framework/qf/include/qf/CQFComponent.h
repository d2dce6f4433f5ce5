// Components: the table entries the process publishes (CQFComponentInfo) and the base of
// component objects (CQFComponent). Each thread has a current component; thread names are
// resolved to indices through it.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "qf/CQFString.h"

struct SQFComponentAddress {
    uint16_t mFirst = 0;
    uint16_t mSecond = 0;
    bool operator==(const SQFComponentAddress& o) const { return mFirst == o.mFirst && mSecond == o.mSecond; }
};

class CQFComponentInfo {
public:
    explicit CQFComponentInfo(const CQFString& name) : mName(name) {}
    const CQFString& getName() const { return mName; }

    void registerThreadIndex(const CQFString& threadName, int index);
    // The registered index, or -1.
    int getThreadIndex(const CQFString& threadName) const;
    void registerWorkerThreadName(const CQFString& workerName, const CQFString& mappedName);
    // The mapped name, or workerName itself when none is registered.
    CQFString getMappedWorkerThreadName(const CQFString& workerName) const;
    // Registering a mapping again replaces it.
    void registerComponentMapping(const CQFString& from, const CQFString& to);
    CQFString getMappedComponentName(const CQFString& name) const;
    void setMapKey(uint16_t first, uint16_t second) { mMapKey = {first, second}; }
    const SQFComponentAddress& getMapKey() const { return mMapKey; }

    // The calling thread's current component (null until set).
    static const CQFComponentInfo* getCurrent();
    static void setCurrent(const CQFComponentInfo* info);

private:
    CQFString mName;
    std::map<CQFString, int> mThreadIndices;
    std::map<CQFString, CQFString> mWorkerNames;
    std::map<CQFString, CQFString> mComponentMappings;
    SQFComponentAddress mMapKey;
};

namespace QFComponentMap {
// Publishes the process's component table (the objects must outlive the process frame).
void publish(const std::vector<const CQFComponentInfo*>& components);
const CQFComponentInfo* find(const CQFString& name);
// The component whose table registers the thread name, or null.
const CQFComponentInfo* findThreadOwner(const CQFString& threadName);
}  // namespace QFComponentMap

class CQFComponent {
public:
    explicit CQFComponent(const CQFString& name) : mComponentName(name) {}
    virtual ~CQFComponent() = default;
    const CQFString& getComponentName() const { return mComponentName; }

private:
    CQFString mComponentName;
};
