#include "qf/CQFComponent.h"

#include <mutex>

namespace {
thread_local const CQFComponentInfo* tCurrent = nullptr;

std::mutex gMapMutex;
std::vector<const CQFComponentInfo*>& componentMap() {
    static std::vector<const CQFComponentInfo*> m;
    return m;
}
}  // namespace

void CQFComponentInfo::registerThreadIndex(const CQFString& threadName, int index) { mThreadIndices[threadName] = index; }

int CQFComponentInfo::getThreadIndex(const CQFString& threadName) const {
    auto it = mThreadIndices.find(threadName);
    return it == mThreadIndices.end() ? -1 : it->second;
}

void CQFComponentInfo::registerWorkerThreadName(const CQFString& workerName, const CQFString& mappedName) {
    mWorkerNames[workerName] = mappedName;
}

CQFString CQFComponentInfo::getMappedWorkerThreadName(const CQFString& workerName) const {
    auto it = mWorkerNames.find(workerName);
    return it == mWorkerNames.end() ? workerName : it->second;
}

void CQFComponentInfo::registerComponentMapping(const CQFString& from, const CQFString& to) { mComponentMappings[from] = to; }

CQFString CQFComponentInfo::getMappedComponentName(const CQFString& name) const {
    auto it = mComponentMappings.find(name);
    return it == mComponentMappings.end() ? name : it->second;
}

const CQFComponentInfo* CQFComponentInfo::getCurrent() { return tCurrent; }
void CQFComponentInfo::setCurrent(const CQFComponentInfo* info) { tCurrent = info; }

namespace QFComponentMap {

void publish(const std::vector<const CQFComponentInfo*>& components) {
    std::lock_guard<std::mutex> lock(gMapMutex);
    componentMap() = components;
}

const CQFComponentInfo* find(const CQFString& name) {
    std::lock_guard<std::mutex> lock(gMapMutex);
    for (const CQFComponentInfo* c : componentMap()) {
        if (c->getName() == name) return c;
    }
    return nullptr;
}

const CQFComponentInfo* findThreadOwner(const CQFString& threadName) {
    std::lock_guard<std::mutex> lock(gMapMutex);
    for (const CQFComponentInfo* c : componentMap()) {
        if (c->getThreadIndex(threadName) >= 0) return c;
    }
    return nullptr;
}

}  // namespace QFComponentMap
