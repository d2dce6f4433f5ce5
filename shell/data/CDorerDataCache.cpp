#include "CDorerDataCache.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "qf/QFAssert.h"

namespace {

constexpr const char* kSource = "CDorerDataCache";

DorerChangeSet* findSet(DorerClientChanges& client, uint32_t changeSetId) {
    for (DorerChangeSet& set : client.mChangeSets) {
        if (set.mChangeSetId == changeSetId) return &set;
    }
    return nullptr;
}

SDorerItemChange* findChange(DorerChangeSet& set, uint32_t itemId) {
    for (SDorerItemChange& change : set.mChanges) {
        if (change.mItemId == itemId) return &change;
    }
    return nullptr;
}

// A newer value replaces the one of the same id; other changes are appended.
void merge(DorerChangeSet& set, uint32_t itemId, const CQFBuffer& value) {
    if (SDorerItemChange* change = findChange(set, itemId)) {
        change->mData = value;
    } else {
        set.mChanges.push_back({itemId, value});
    }
}

}  // namespace

DorerClientChanges* CDorerDataCache::findClient(uint32_t clientKey) {
    for (DorerClientChanges& client : mClients) {
        if (client.mClientKey == clientKey) return &client;
    }
    return nullptr;
}

uint32_t CDorerDataCache::createClientKey() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    uint32_t key;
    do {
        key = static_cast<uint32_t>(std::rand());
    } while (findClient(key) != nullptr);
    return key;
}

void CDorerDataCache::addChange(uint32_t clientKey, uint32_t itemId, const CQFBuffer& value) {
    CQFMutexLocker locker(mMutex);
    DorerClientChanges* client = findClient(clientKey);
    if (client == nullptr) {
        if (clientKey == kDorerPendingChangeSetId) return;
        mClients.push_back({clientKey, {}});
        client = &mClients.back();
    }
    DorerChangeSet* pending = findSet(*client, kDorerPendingChangeSetId);
    if (pending == nullptr) {
        client->mChangeSets.push_back({kDorerPendingChangeSetId, {{itemId, value}}});
        return;
    }
    merge(*pending, itemId, value);
}

bool CDorerDataCache::getChange(uint32_t clientKey, uint32_t itemId, CQFBuffer& out) {
    CQFMutexLocker locker(mMutex);
    DorerClientChanges* client = findClient(clientKey);
    if (client == nullptr) return false;
    if (DorerChangeSet* pending = findSet(*client, kDorerPendingChangeSetId)) {
        if (SDorerItemChange* change = findChange(*pending, itemId)) {
            out = change->mData;
            return true;
        }
    }
    for (auto set = client->mChangeSets.rbegin(); set != client->mChangeSets.rend(); ++set) {
        if (set->mChangeSetId == kDorerPendingChangeSetId) continue;
        if (SDorerItemChange* change = findChange(*set, itemId)) {
            out = change->mData;
            return true;
        }
    }
    return false;
}

std::vector<SDorerItemChange> CDorerDataCache::getPendingChanges(uint32_t clientKey) {
    DorerClientChanges* client = findClient(clientKey);
    if (client == nullptr) return {};
    DorerChangeSet* pending = findSet(*client, kDorerPendingChangeSetId);
    return pending != nullptr ? pending->mChanges : std::vector<SDorerItemChange>{};
}

void CDorerDataCache::commitPending(uint32_t clientKey, uint32_t changeSetId) {
    DorerClientChanges* client = findClient(clientKey);
    if (client == nullptr) return;
    if (DorerChangeSet* pending = findSet(*client, kDorerPendingChangeSetId)) pending->mChangeSetId = changeSetId;
}

void CDorerDataCache::removeChangeSet(uint32_t clientKey, uint32_t changeSetId, bool lock) {
    if (!lock) {
        removeChangeSetUnlocked(clientKey, changeSetId);
        return;
    }
    CQFMutexLocker locker(mMutex);
    removeChangeSetUnlocked(clientKey, changeSetId);
}

void CDorerDataCache::removeChangeSetUnlocked(uint32_t clientKey, uint32_t changeSetId) {
    DorerClientChanges* client = findClient(clientKey);
    if (client == nullptr) return;
    auto& sets = client->mChangeSets;
    auto set = std::find_if(sets.begin(), sets.end(),
                            [&](const DorerChangeSet& s) { return s.mChangeSetId == changeSetId; });
    if (set != sets.end()) sets.erase(set);
}

void CDorerDataCache::reopenChangeSet(uint32_t clientKey, uint32_t changeSetId) {
    if (changeSetId == kDorerPendingChangeSetId) {
        doCheapAssert(__LINE__, kSource);
        return;
    }
    CQFMutexLocker locker(mMutex);
    DorerClientChanges* client = findClient(clientKey);
    if (client == nullptr) return;
    // The sent set is looked up first: an unknown id must not cost the pending changes.
    if (findSet(*client, changeSetId) == nullptr) {
        doCheapAssert(__LINE__, kSource);
        return;
    }
    // Sets sent after this one hold newer values for their ids: the reopened set must not
    // shadow them, so it keeps only the ids no later set holds. The pending changes are newer
    // still and win. The reopened set goes last, where the newest set belongs.
    auto& sets = client->mChangeSets;
    auto sent = std::find_if(sets.begin(), sets.end(), [&](const DorerChangeSet& s) { return s.mChangeSetId == changeSetId; });
    DorerChangeSet reopened{kDorerPendingChangeSetId, {}};
    for (const SDorerItemChange& change : sent->mChanges) {
        const bool newerSent = std::any_of(sent + 1, sets.end(), [&](DorerChangeSet& later) {
            return later.mChangeSetId != kDorerPendingChangeSetId && findChange(later, change.mItemId) != nullptr;
        });
        if (!newerSent) reopened.mChanges.push_back(change);
    }
    sets.erase(sent);
    auto pending = std::find_if(sets.begin(), sets.end(),
                                [](const DorerChangeSet& s) { return s.mChangeSetId == kDorerPendingChangeSetId; });
    if (pending != sets.end()) {
        for (const SDorerItemChange& change : pending->mChanges) merge(reopened, change.mItemId, change.mData);
        sets.erase(pending);
    }
    sets.push_back(std::move(reopened));
}

void CDorerDataCache::removeClient(uint32_t clientKey) {
    mClients.erase(std::remove_if(mClients.begin(), mClients.end(),
                                  [&](const DorerClientChanges& c) { return c.mClientKey == clientKey; }),
                   mClients.end());
}
