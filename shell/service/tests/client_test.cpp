// The client wrappers against scripted servers: setting items, storing them, the answers of
// the store, the stored change id, and the release of stored changes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CDSYSDorerClientGetProxy.h"
#include "CDSYSDorerClientStoreProxy.h"
#include "CzoqDorerClientStore.h"
#include "page_test_support.h"
#include "pagewriter/page_image.h"
#include "service_test_support.h"
#include "test_defaults.h"

namespace {

using namespace service_test;
namespace td = test_defaults;

struct StoreLog : IzoqDorerClientStoreListener {
    std::vector<int32_t> stored;                           // onLastStoredChangeId
    std::vector<std::pair<int32_t, int32_t>> responses;   // responseStoredChange
    void onLastStoredChangeId(int32_t changeId) override { stored.push_back(changeId); }
    void responseStoredChange(int32_t cookie, int32_t changeId) override { responses.push_back({cookie, changeId}); }
};

struct ChangeIdLog : IzoqDorerClientGetListener {
    std::vector<int32_t> changeIds;
    void onChangeId(int32_t changeId) override { changeIds.push_back(changeId); }
};

CQFBuffer bytes(const std::string& text) { return CQFBuffer(text.data(), text.size()); }

FQFPIQPayloadWriter int32Writer(int32_t value) {
    return [value](IQFOStream& out) { out.write(value); };
}

struct ClientTest : ::testing::Test {
    hu::testing::TempRoot root;
    page_test::Names names;  // a page of this test's own (absent unless a test writes it)
    std::unique_ptr<ScriptedServer> server = std::make_unique<ScriptedServer>("DorerSrv");
    std::vector<int32_t> storeAnswers;  // change ids the server answers the stores with, in order
    ShellSide* shell = nullptr;
    CzoqDorerClientStore* store = nullptr;
    StoreLog* log = nullptr;

    ClientTest() {
        td::install();
        setenv("DORER_PAGE", names.page.c_str(), 1);
        setenv("DORER_PAGELOCK", names.lock.c_str(), 1);
        // The script runs on the server's own thread: it must not read `server`, which a test
        // may reset meanwhile (the server is stopped before it is destroyed).
        ScriptedServer* self = server.get();
        server->setScript([this, self](const SQFPIQRequest& request, IQFIStream& in, Answer& answer) {
            DSYSDorerClientStore::SRequestPayload params;
            params.mRequestId = static_cast<int32_t>(request.mRequestId);
            DSYSDorerClientStore::readRequestPayload(in, params);
            const size_t index = self->received().size() - 1;
            if (index >= storeAnswers.size()) return false;
            answer.mUpdateId = DSYSDorerClientStore::UPD_ID_responseStore;
            answer.mWriter = int32Writer(storeAnswers[index]);
            return true;
        });
    }
    ~ClientTest() override {
        delete shell;
        unsetenv("DORER_PAGE");
        unsetenv("DORER_PAGELOCK");
    }
    void startShell() {
        shell = new ShellSide;
        store = shell->make<CzoqDorerClientStore>();
        log = shell->make<StoreLog>();
    }
    bool storeConnected() {
        return shell->waitFor([this] { return store->isConnected(); });
    }
    // The value the shell reads for the id: "<result> <bytes>".
    std::string read(uint32_t id) {
        std::string text;
        shell->run([&] {
            CQFBuffer out;
            const int result = store->getDataAccessor()->getBuffer(store->getClientKey(), id, out);
            text = std::to_string(result) + " " + std::string(reinterpret_cast<const char*>(out.getData()), out.getSize());
        });
        return text;
    }
    size_t pendingCount() {
        size_t n = 0;
        shell->run([&] { n = store->getDataAccessor()->getPendingChanges(store->getClientKey()).size(); });
        return n;
    }
    size_t responses(size_t n) {
        shell->waitFor([&] { return log->responses.size() >= n; });
        size_t size = 0;
        shell->run([&] { size = log->responses.size(); });
        return size;
    }
};

TEST_F(ClientTest, SetItemChecksTheItemAndTheValue) {
    startShell();
    struct Case {
        uint32_t id;
        std::string value;
        int result;
    } cases[] = {
        {td::kVin, "WVW", 0},
        {td::kUnknownKey, "A", 1},
        {td::kMirrorKey, "A", 1},
        {td::kEightByteKey, "123456789", 2},  // longer than the key
        {td::kAdjustWord, "", 2},
    };
    for (const Case& c : cases) {
        int result = -1;
        shell->run([&] { result = store->setItem(c.id, bytes(c.value)); });
        EXPECT_EQ(result, c.result) << std::hex << c.id;
    }
    EXPECT_EQ(read(td::kVin), "0 WVW");
    EXPECT_EQ(pendingCount(), 1u);
}

TEST_F(ClientTest, StoreWhileDisconnectedSendsNothingAndKeepsTheChanges) {
    startShell();
    int32_t cookie = 0;
    shell->run([&] {
        store->setItem(td::kVin, bytes("WVW"));
        cookie = store->requestStoreChange(log);
    });
    EXPECT_EQ(cookie, -1);
    EXPECT_EQ(pendingCount(), 1u);
}

TEST_F(ClientTest, StoredChangesAreReleasedWhenThePageAndTheStorageReachTheirChangeId) {
    storeAnswers = {7, 9};
    ASSERT_TRUE(server->start());
    startShell();
    ASSERT_TRUE(storeConnected());
    int32_t first = 0, second = 0;
    shell->run([&] {
        store->setItem(td::kVin, bytes("ONE"));
        first = store->requestStoreChange(log);
        store->setItem(td::kEightByteKey, bytes("TWO"));
        second = store->requestStoreChange(log);
    });
    EXPECT_LT(first, second);
    ASSERT_EQ(responses(2), 2u);
    shell->run([&] {
        EXPECT_EQ(log->responses, (std::vector<std::pair<int32_t, int32_t>>{{first, 7}, {second, 9}}));
    });
    const auto requests = server->received();
    ASSERT_EQ(requests.size(), 2u);
    // One change each: count, id, size, the value, the versions {4, 2, 0x060C, 0xFFFF}.
    const uint8_t expected[] = {1, 0, 0, 0, 0x02, 0x10, 0x00, 0xF0, 3, 0, 0, 0, 'O', 'N', 'E', 0,
                                4, 0, 2, 0, 0x0C, 0x06, 0xFF, 0xFF};
    EXPECT_EQ(requests[0].mPayload, CQFBuffer(expected, sizeof expected));
    EXPECT_EQ(pendingCount(), 0u);
    EXPECT_EQ(read(td::kVin), "0 ONE");

    // Released once the page shows the change id and the server reports it stored, in
    // either order.
    shell->run([&] { store->onChangeId(7); });
    shell->run([&] { store->releaseStored(6); });
    EXPECT_EQ(read(td::kVin), "0 ONE");
    shell->run([&] { store->releaseStored(7); });
    EXPECT_EQ(read(td::kVin), std::string("5 \0", 3));  // the default: a single zero byte
    EXPECT_EQ(read(td::kEightByteKey), "0 TWO");
    shell->run([&] { store->releaseStored(100); });
    EXPECT_EQ(read(td::kEightByteKey), "0 TWO");
    shell->run([&] { store->releaseStored(-1); });
    shell->run([&] { store->onChangeId(-1); });
    EXPECT_EQ(read(td::kEightByteKey), "0 TWO");
    shell->run([&] { store->onChangeId(100); });
    EXPECT_NE(read(td::kEightByteKey), "0 TWO");
}

TEST_F(ClientTest, RefusedStorePutsTheChangesBackMergedWithNewerOnes) {
    storeAnswers = {-1};
    ASSERT_TRUE(server->start());
    startShell();
    ASSERT_TRUE(storeConnected());
    shell->run([&] {
        store->setItem(td::kVin, bytes("OLD"));
        store->setItem(td::kEightByteKey, bytes("KEEP"));
        store->requestStoreChange(log);
        store->setItem(td::kVin, bytes("NEW"));
    });
    ASSERT_EQ(responses(1), 1u);
    shell->run([&] { EXPECT_EQ(log->responses[0].second, -1); });
    EXPECT_EQ(pendingCount(), 2u);
    EXPECT_EQ(read(td::kVin), "0 NEW");
    EXPECT_EQ(read(td::kEightByteKey), "0 KEEP");
}

TEST_F(ClientTest, AnswerWithoutItsListenerStillReopensOrAwaits) {
    storeAnswers = {-1, 4};
    ASSERT_TRUE(server->start());
    startShell();
    ASSERT_TRUE(storeConnected());
    shell->run([&] {
        store->setItem(td::kVin, bytes("ONE"));
        store->requestStoreChange(log);
        store->removeListener(log);  // drops its pending responses
    });
    ASSERT_TRUE(server->waitForRequests(1));
    ASSERT_TRUE(hu::testing::waitUntil([&] { return pendingCount() == 1; }));
    shell->run([&] {
        store->requestStoreChange(nullptr);
        store->addListener(log);
    });
    ASSERT_TRUE(server->waitForRequests(2));
    EXPECT_EQ(pendingCount(), 0u);
    // Once the answer (change id 4) is in, change id 4 on the page and in storage releases it.
    EXPECT_TRUE(hu::testing::waitUntil([&] {
        shell->run([&] {
            store->onChangeId(4);
            store->releaseStored(4);
        });
        return read(td::kVin) == std::string("5 \0", 3);
    }));
    shell->run([&] { EXPECT_TRUE(log->responses.empty()); });
}

TEST_F(ClientTest, StoredChangeIdReachesEachListenerOnce) {
    // The server comes up only once the listeners are in, so the value its subscription
    // answers with can reach none of them early.
    startShell();
    auto* other = shell->make<StoreLog>();
    auto* never = shell->make<StoreLog>();
    shell->run([&] {
        store->addListener(log);
        store->addListener(log);
        store->addListener(other);
        store->removeListener(never);
        store->removeListener(static_cast<IzoqDorerClientStoreListener*>(nullptr));
    });
    server->server().publish(DSYSDorerClientStore::kInterfaceName, DSYSDorerClientStore::UPD_ID_storedChangeId,
                             int32Writer(3));
    ASSERT_TRUE(server->start());
    ASSERT_TRUE(shell->waitFor([&] { return other->stored.size() == 1; }));
    server->server().publish(DSYSDorerClientStore::kInterfaceName, DSYSDorerClientStore::UPD_ID_storedChangeId,
                             int32Writer(8));
    ASSERT_TRUE(shell->waitFor([&] { return other->stored.size() == 2; }));
    shell->run([&] {
        EXPECT_EQ(log->stored, (std::vector<int32_t>{3, 8}));
        EXPECT_EQ(other->stored, (std::vector<int32_t>{3, 8}));
        EXPECT_EQ(store->getStoreProxy()->getStoredChangeId(), 8);
    });
}

TEST_F(ClientTest, StoreInFlightWhenTheServerGoesIsAnsweredAsRefused) {
    ASSERT_TRUE(server->start());  // answers no store
    startShell();
    ASSERT_TRUE(storeConnected());
    int32_t cookie = 0;
    shell->run([&] {
        store->setItem(td::kVin, bytes("ONE"));
        cookie = store->requestStoreChange(log);
    });
    ASSERT_TRUE(server->waitForRequests(1));
    server.reset();
    ASSERT_EQ(responses(1), 1u);
    shell->run([&] { EXPECT_EQ(log->responses[0], (std::pair<int32_t, int32_t>{cookie, -1})); });
    EXPECT_EQ(pendingCount(), 1u);
}

TEST_F(ClientTest, PageChangeIdsReachListenersOnlyWhenValid) {
    hu::pagewriter::PageWriter writer{names.page, names.lock};
    ASSERT_TRUE(writer.open(hu::pagewriter::PageImage().add(td::kVin, {'P', 'G', 'E'}).build())) << writer.error();
    ScriptedServer page("DorerPageProxy");
    ASSERT_TRUE(page.start());
    startShell();
    auto* changes = shell->make<ChangeIdLog>();
    shell->run([&] {
        ASSERT_TRUE(store->getDataAccessor()->isAttached());
        store->addListener(changes);
    });
    ASSERT_TRUE(shell->waitFor([&] { return store->getGetProxy()->isConnected(); }));
    // Subscribed before the first value: 515, nothing reaches the listeners.
    page.server().publish(DSYSDorerClientGet::kInterfaceName, DSYSDorerClientGet::UPD_ID_changeId, int32Writer(12));
    ASSERT_TRUE(shell->waitFor([&] { return changes->changeIds.size() == 1; }));
    page.server().invalidate(DSYSDorerClientGet::kInterfaceName, DSYSDorerClientGet::UPD_ID_changeId);
    ASSERT_TRUE(shell->waitFor([&] {
        return store->getGetProxy()->getChangeIdDataState() == QFServices::eDataState_Invalid;
    }));
    page.server().publish(DSYSDorerClientGet::kInterfaceName, DSYSDorerClientGet::UPD_ID_changeId, int32Writer(13));
    ASSERT_TRUE(shell->waitFor([&] { return changes->changeIds.size() == 2; }));
    shell->run([&] {
        EXPECT_EQ(changes->changeIds, (std::vector<int32_t>{12, 13}));
        store->removeListener(changes);
    });
    EXPECT_EQ(read(td::kVin), "0 PGE");
}

}  // namespace
