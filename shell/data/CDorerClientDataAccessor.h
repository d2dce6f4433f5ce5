// How the shell reads settings items: a value this process set and the service has not yet
// confirmed (the pending-change cache), else the value in the private copy of the shared page,
// else the built-in default. Attaches to the page once, when created; if that fails it stays
// detached for life and answers from the cache and the defaults.
#pragma once

#include <cstdint>
#include <vector>

#include "CDorerDataCache.h"
#include "EDorerDataAccessResult.h"
#include "qf/CQFBuffer.h"
#include "qf/CQFThreadSafeRefCounter.h"

class CDorerClientDataAccessor : public CQFThreadSafeRefCounter {
public:
    CDorerClientDataAccessor(const char* pagePath, const char* lockPath);

    void setSharedPathes(const char* pagePath, const char* lockPath);
    bool isAttached() const { return mIsAttached; }
    // Refreshes the page copy (when attached); called when the service announces a change id.
    void update();

    // With result 1 (no value anywhere) out is left unchanged. A bit field reads as its field
    // value.
    EDorerDataAccessResult getBuffer(uint32_t clientKey, uint32_t id, CQFBuffer& out);

    void addChange(uint32_t clientKey, uint32_t id, const CQFBuffer& value) { mCache.addChange(clientKey, id, value); }
    std::vector<SDorerItemChange> getPendingChanges(uint32_t clientKey) { return mCache.getPendingChanges(clientKey); }
    void commitPending(uint32_t clientKey, uint32_t changeSetId) { mCache.commitPending(clientKey, changeSetId); }
    void removeChangeSet(uint32_t clientKey, uint32_t changeSetId) { mCache.removeChangeSet(clientKey, changeSetId, true); }
    void reopenChangeSet(uint32_t clientKey, uint32_t changeSetId) { mCache.reopenChangeSet(clientKey, changeSetId); }
    void removeClient(uint32_t clientKey) { mCache.removeClient(clientKey); }
    uint32_t createClientKey() { return mCache.createClientKey(); }

protected:
    ~CDorerClientDataAccessor() override = default;

private:
    CDorerDataCache mCache;
    bool mIsAttached;
};
