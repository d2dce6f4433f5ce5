// Values this process has set but the shared page does not show yet, per client key: one
// pending set (not yet sent, id 0xFFFFFFFF) and the sets sent under their change-set ids,
// oldest first. Reads prefer the pending set, then the newest sent set.
#pragma once

#include <cstdint>
#include <vector>

#include "SDorerItemChange.h"
#include "qf/CQFBuffer.h"
#include "qf/CQFMutex.h"

constexpr uint32_t kDorerPendingChangeSetId = 0xFFFFFFFFu;

struct DorerChangeSet {
    uint32_t mChangeSetId = kDorerPendingChangeSetId;
    std::vector<SDorerItemChange> mChanges;  // in the order first set
};

struct DorerClientChanges {
    uint32_t mClientKey = 0;
    std::vector<DorerChangeSet> mChangeSets;
};

class CDorerDataCache {
public:
    // A key no client entry has yet; the generator is reseeded from the clock on every call.
    uint32_t createClientKey();
    void addChange(uint32_t clientKey, uint32_t itemId, const CQFBuffer& value);
    bool getChange(uint32_t clientKey, uint32_t itemId, CQFBuffer& out);
    std::vector<SDorerItemChange> getPendingChanges(uint32_t clientKey);
    void commitPending(uint32_t clientKey, uint32_t changeSetId);
    void removeChangeSet(uint32_t clientKey, uint32_t changeSetId, bool lock);
    // After a failed store: the set becomes pending again, merged with what was set meanwhile.
    // Sets may be reopened in any order: a value a later sent set holds is not brought back.
    void reopenChangeSet(uint32_t clientKey, uint32_t changeSetId);
    void removeClient(uint32_t clientKey);

private:
    DorerClientChanges* findClient(uint32_t clientKey);
    void removeChangeSetUnlocked(uint32_t clientKey, uint32_t changeSetId);

    std::vector<DorerClientChanges> mClients;
    CQFMutex mMutex;
};
