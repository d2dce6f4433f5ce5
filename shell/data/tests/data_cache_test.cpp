// The pending-change cache: newest value first, commit, reopen after a failed store.
#include <gtest/gtest.h>

#include <map>

#include "CDorerDataCache.h"
#include "qf/QFAssert.h"

namespace {

CQFBuffer bytes(std::initializer_list<uint8_t> list) { return CQFBuffer(std::data(list), list.size()); }

TEST(DataCacheTest, PendingValuesWinOverSentOnesAndReopenMergesTheNewer) {
    CDorerDataCache cache;
    cache.addChange(1, 10, bytes({1}));
    cache.addChange(1, 10, bytes({2}));  // same id: one change, second value
    cache.addChange(1, 11, bytes({3}));
    ASSERT_EQ(2u, cache.getPendingChanges(1).size());

    cache.commitPending(1, 5);
    EXPECT_TRUE(cache.getPendingChanges(1).empty());
    CQFBuffer out;
    ASSERT_TRUE(cache.getChange(1, 10, out));
    EXPECT_EQ(bytes({2}), out);

    cache.addChange(1, 11, bytes({4}));  // a new pending set, preferred
    ASSERT_TRUE(cache.getChange(1, 11, out));
    EXPECT_EQ(bytes({4}), out);

    cache.reopenChangeSet(1, 5);
    std::vector<SDorerItemChange> pending = cache.getPendingChanges(1);
    ASSERT_EQ(2u, pending.size());
    EXPECT_EQ(10u, pending[0].mItemId);
    EXPECT_EQ(bytes({4}), pending[1].mData);

    cache.commitPending(1, 6);
    cache.removeChangeSet(1, 7, true);  // no such set: nothing
    EXPECT_TRUE(cache.getChange(1, 10, out));
    cache.removeChangeSet(1, 6, true);
    EXPECT_FALSE(cache.getChange(1, 10, out));
    EXPECT_FALSE(cache.getChange(2, 10, out));

    cache.addChange(0xFFFFFFFF, 10, bytes({1}));  // the pending-set marker is no client key
    EXPECT_FALSE(cache.getChange(0xFFFFFFFF, 10, out));
}

// Several sent sets given back in any order (the server went away): every id ends pending
// with its newest value.
TEST(DataCacheTest, ReopenedSetsKeepTheNewestValueInAnyOrder) {
    for (bool oldestFirst : {true, false}) {
        SCOPED_TRACE(oldestFirst);
        CDorerDataCache cache;
        cache.addChange(1, 10, bytes({1}));
        cache.addChange(1, 11, bytes({1}));
        cache.commitPending(1, 5);
        cache.addChange(1, 10, bytes({2}));
        cache.addChange(1, 12, bytes({2}));
        cache.commitPending(1, 6);
        cache.addChange(1, 12, bytes({3}));
        cache.reopenChangeSet(1, oldestFirst ? 5 : 6);
        cache.reopenChangeSet(1, oldestFirst ? 6 : 5);
        std::vector<SDorerItemChange> pending = cache.getPendingChanges(1);
        std::map<uint32_t, CQFBuffer> values;
        for (const SDorerItemChange& change : pending) values[change.mItemId] = change.mData;
        EXPECT_EQ(3u, pending.size());
        EXPECT_EQ(bytes({2}), values[10]);
        EXPECT_EQ(bytes({1}), values[11]);
        EXPECT_EQ(bytes({3}), values[12]);
        cache.commitPending(1, 7);
        EXPECT_TRUE(cache.getPendingChanges(1).empty());
        cache.removeChangeSet(1, 7, true);
        CQFBuffer out;
        EXPECT_FALSE(cache.getChange(1, 10, out));  // nothing else was left behind
    }
}

TEST(DataCacheTest, ReopeningAnUnknownSetKeepsThePendingChanges) {
    int assertions = 0;
    QFAssert::setObserver([&](const SQFAssertion&) { ++assertions; });
    CDorerDataCache cache;
    cache.addChange(1, 10, bytes({1}));
    cache.reopenChangeSet(1, 99);
    EXPECT_EQ(1, assertions);
    ASSERT_EQ(1u, cache.getPendingChanges(1).size());
    EXPECT_EQ(bytes({1}), cache.getPendingChanges(1)[0].mData);
    QFAssert::setObserver(nullptr);
}

}  // namespace
