// The server model with a real page and real partition files: what a store does in each
// operating state, which stores are refused, what survives a restart, and the fault switches.
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DSYSDorerStorageType.h"
#include "DorerItemId.h"
#include "dorerDefaults.h"
#include "hu_testing.h"
#include "failing_storage.h"
#include "partition_storage.h"
#include "test_changes.h"
#include "settings_server.h"

namespace {

using namespace hu::sysetsrv;
using hu::pagewriter::PageWriter;
using hu::testing::TempRoot;
using hu::testing::writeFile;
using Bytes = std::vector<uint8_t>;
using hu::sysetsrv::testing::change;
using hu::sysetsrv::testing::itemOnPage;
using hu::sysetsrv::testing::kShellVersions;
using hu::sysetsrv::testing::kVin;

constexpr uint32_t kTwoBitField = 0x5F000030;     // test_cb_0, mask 0x06
constexpr uint32_t kExternerMost = 0x46005020;    // mirrored by the key EXTERNAL_MOST
constexpr uint32_t kExternalMostKey = 0xE0000002;
constexpr uint32_t kAdjustFour = 0x822E0004;


struct Recorder : ISettingsPublisher {
    std::vector<std::string> events;
    void publishOperatingState(const std::string& state) override { events.push_back("state " + state); }
    void publishChangeId(int32_t id) override { events.push_back("changeId " + std::to_string(id)); }
    void publishStoredChangeId(int32_t id) override { events.push_back("stored " + std::to_string(id)); }
};

class SettingsServerTest : public ::testing::Test {
protected:
    TempRoot root;
    std::string pageName = "/sysetsrv_model_" + std::to_string(getpid()) + "_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::string lockName = pageName + "-lock";
    std::string dir = root.path() + "/data";
    CatalogueRules rules;
    Recorder recorder;
    std::unique_ptr<PartitionStorage> storage;
    std::unique_ptr<FailingStorage> failing;
    std::unique_ptr<PageWriter> page;
    std::unique_ptr<SettingsServer> server;

    ~SettingsServerTest() override { PageWriter::remove(pageName, lockName); }

    // ioFailure: the server's storage is the failing layer in front of the real one.
    void startServer(const std::string& state = kStateFullyOperable, bool ioFailure = false) {
        server.reset();
        storage = std::make_unique<PartitionStorage>(dir);
        failing = std::make_unique<FailingStorage>(*storage);
        page = std::make_unique<PageWriter>(pageName, lockName);
        server = std::make_unique<SettingsServer>(rules, ioFailure ? static_cast<IServerStorage&>(*failing) : *storage,
                                                  *page, recorder);
        std::string error;
        ASSERT_TRUE(storage->prepare(error)) << error;
        ASSERT_TRUE(server->start(state, error)) << error;
        recorder.events.clear();
    }

    int32_t store(const std::vector<SDorerItemChange>& changes, const SDorerVersions& versions = kShellVersions) {
        int32_t answered = -2;
        server->store(changes, versions, [&](int32_t id) {
            answered = id;
            recorder.events.push_back("answer " + std::to_string(id));
        });
        return answered;
    }

    bool trigger(const std::string& state) {
        bool answered = false;
        server->triggerState(state, [&](bool ok) {
            answered = ok;
            recorder.events.push_back(std::string("trigger ") + (ok ? "true" : "false"));
        });
        return answered;
    }

    // The item as a reader of the shared page finds it (a bit field's field value).
    Bytes pageItem(uint32_t id) {
        Bytes item = itemOnPage(pageName, id);
        if (!item.empty() && DorerItemId_isBitField(id)) return {DorerItemId_fieldValue(id, item[0])};
        return item;
    }

    Bytes defaultOf(uint32_t id) {
        const uint8_t* data = nullptr;
        uint16_t length = 0;
        EXPECT_EQ(0, dorerDefaults_getBuffer(id, &data, &length));
        if (DorerItemId_isBitField(id)) return {DorerItemId_fieldValue(id, data[0])};
        return Bytes(data, data + length);
    }

    SActionLogEntry lastAction() { return server->actionLog().back(); }
};

TEST_F(SettingsServerTest, StoreInFullyOperableAnswersThenShowsThenStores) {
    startServer();
    uint32_t counter = page->changeCounter();
    EXPECT_EQ(1, store({change(kVin, {'W', 'V', 'W'}), change(kTwoBitField, {3}), change(kAdjustFour, {1, 2, 3, 4})}));
    EXPECT_EQ((std::vector<std::string>{"answer 1", "changeId 1", "stored 1"}), recorder.events);
    EXPECT_EQ(counter + 1, page->changeCounter());
    EXPECT_EQ((Bytes{'W', 'V', 'W'}), pageItem(kVin));
    EXPECT_EQ(Bytes{3}, pageItem(kTwoBitField));
    EXPECT_EQ((Bytes{1, 2, 3, 4}), pageItem(kAdjustFour));
    EXPECT_EQ(2, store({}));  // an empty store still gets its own id
    SActionLogEntry entry = lastAction();
    EXPECT_EQ(DSYSDorerAdmin::EDorerAction_eStore, entry.mAction);
    EXPECT_TRUE(entry.mSuccess);
    EXPECT_EQ(2, entry.mReserved1);  // the change id
    EXPECT_EQ(server->actionLog().front().mSequenceNumber + 1, entry.mSequenceNumber);

    // A restart shows what was stored and goes on counting.
    startServer();
    EXPECT_EQ((Bytes{'W', 'V', 'W'}), pageItem(kVin));
    EXPECT_EQ(Bytes{3}, pageItem(kTwoBitField));
    EXPECT_EQ((Bytes{1, 2, 3, 4}), pageItem(kAdjustFour));
    EXPECT_EQ(2, server->storedChangeId());
    EXPECT_EQ(3, store({change(kVin, {'X'})}));
}

TEST_F(SettingsServerTest, OutsideFullyOperableChangesWaitForTheSwitch) {
    startServer(kStateReadOnly);
    EXPECT_EQ(1, store({change(kVin, {'R', 'O'})}));
    EXPECT_EQ((std::vector<std::string>{"answer 1", "changeId 1"}), recorder.events);
    EXPECT_EQ((Bytes{'R', 'O'}), pageItem(kVin));
    EXPECT_EQ(-1, server->storedChangeId());

    // Kept changes survive a reload, which re-reads storage only.
    EXPECT_TRUE(server->reload());
    EXPECT_EQ((Bytes{'R', 'O'}), pageItem(kVin));

    recorder.events.clear();
    EXPECT_TRUE(trigger(kStateFullyOperable));
    EXPECT_EQ((std::vector<std::string>{"trigger true", "stored 1", "state FullyOperable"}), recorder.events);
    EXPECT_EQ(DSYSDorerAdmin::EDorerAction_eTriggerFullyOperable, lastAction().mAction);
    EXPECT_TRUE(lastAction().mSuccess);

    startServer(kStateReadOnly);
    EXPECT_EQ((Bytes{'R', 'O'}), pageItem(kVin));
}

// A change the server accepted outlives the server (a kill at any moment after the answer):
// the next run shows it, writes it once in "FullyOperable", and goes on counting change ids.
TEST_F(SettingsServerTest, AcceptedChangesAndChangeIdsOutliveARestart) {
    startServer(kStateReadOnly);
    EXPECT_EQ(1, store({change(kVin, {'N'})}));
    startServer(kStateReadOnly);
    EXPECT_EQ((Bytes{'N'}), pageItem(kVin));
    EXPECT_EQ(-1, server->storedChangeId());
    EXPECT_EQ(1, server->changeId());
    EXPECT_EQ(2, store({change(kTwoBitField, {1})}));
    startServer(kStateFullyOperable);
    EXPECT_EQ(2, server->storedChangeId());
    EXPECT_EQ((Bytes{'N'}), pageItem(kVin));
    EXPECT_EQ((Bytes{1}), pageItem(kTwoBitField));
    EXPECT_EQ(3, store({change(kVin, {'M'})}));
    startServer(kStateReadOnly);
    EXPECT_EQ(3, server->storedChangeId());
    EXPECT_EQ((Bytes{'M'}), pageItem(kVin));
    EXPECT_EQ(4, store({change(kVin, {'L'})}));
}

TEST_F(SettingsServerTest, AStoreWithAnyInvalidItemIsRefusedWhole) {
    startServer();
    struct Case {
        SDorerItemChange bad;
        SDorerVersions versions;
        uint32_t reason;
    };
    const Case cases[] = {
        {change(0xF0009999, {1}), kShellVersions, DSYSDorerAdmin::EDataInvalid_eWrongId},          // not in the catalogue
        {change(kExternalMostKey, {1}), kShellVersions, DSYSDorerAdmin::EDataInvalid_eWrongId},    // a mirror key
        {change(kVin, Bytes(18, 'A')), kShellVersions, DSYSDorerAdmin::EDataInvalid_eWrongSize},   // longer than the key
        {change(kTwoBitField, {4}), kShellVersions, DSYSDorerAdmin::EDataInvalid_eWrongSize},      // does not fit the mask
        {change(7, Bytes(149, 0)), kShellVersions, DSYSDorerAdmin::EDataInvalid_eWrongSize},       // block 7 holds 150 bytes
        {change(kTwoBitField, {1}), {4, 2, 0x040C, 0xFFFF}, DSYSDorerAdmin::EDataInvalid_eWrongVersion},
        {change(kAdjustFour, {1, 2, 3, 4}), {4, 0xFFFF, 0x060C, 0xFFFF}, DSYSDorerAdmin::EDataInvalid_eWrongVersion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bad.mItemId);
        recorder.events.clear();
        EXPECT_EQ(-1, store({change(kVin, {'O', 'K'}), c.bad}, c.versions));
        EXPECT_EQ((std::vector<std::string>{"answer -1"}), recorder.events);
        SActionLogEntry entry = lastAction();
        EXPECT_FALSE(entry.mSuccess);
        EXPECT_EQ((std::vector<SItemError>{{c.bad.mItemId, c.reason}}), entry.mItemErrors);
        EXPECT_EQ(defaultOf(kVin), pageItem(kVin));
    }
    EXPECT_EQ(1, store({change(kVin, {'O', 'K'})}));  // refused stores use up no change id
}

TEST_F(SettingsServerTest, AMirrorKeyFollowsTheItemItMirrors) {
    startServer();
    EXPECT_EQ(1, store({change(kExternerMost, {1})}));
    EXPECT_EQ(Bytes{1}, pageItem(kExternalMostKey));
    startServer();
    EXPECT_EQ(Bytes{1}, pageItem(kExternalMostKey));
    EXPECT_EQ(2, store({change(kExternerMost, {0})}));
    EXPECT_EQ(Bytes{0}, pageItem(kExternalMostKey));
}

TEST_F(SettingsServerTest, OperatingStates) {
    startServer(kStateUnloaded);
    EXPECT_EQ(kStateUnloaded, server->operatingState());
    EXPECT_FALSE(trigger("fullyoperable"));
    EXPECT_FALSE(trigger(""));
    EXPECT_EQ(kStateUnloaded, server->operatingState());
    EXPECT_EQ((std::vector<std::string>{"trigger false", "trigger false"}), recorder.events);
    EXPECT_TRUE(trigger(kStateReadOnly));
    EXPECT_EQ(DSYSDorerAdmin::EDorerAction_eTriggerReadOnly, lastAction().mAction);
    recorder.events.clear();
    EXPECT_TRUE(trigger(kStateReadOnly));  // the same state again is confirmed and published
    EXPECT_EQ((std::vector<std::string>{"trigger true", "state ReadOnly"}), recorder.events);
}

TEST_F(SettingsServerTest, ACorruptedPartitionIsReportedAndItsContentNotUsed) {
    startServer();
    ASSERT_EQ(1, store({change(kVin, {'C'}), change(kTwoBitField, {2})}));
    writeFile(storage->pathOf(DSYSDorerTypes::Flash), "garbage");
    startServer();
    EXPECT_EQ(defaultOf(kVin), pageItem(kVin));
    EXPECT_EQ(Bytes{2}, pageItem(kTwoBitField));  // the other partitions still count
    std::vector<SStorageInfo> info = server->storageInfo();
    ASSERT_EQ(4u, info.size());
    EXPECT_EQ(DSYSDorerTypes::Flash, info[0].mStorage);
    EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eCorrupted, info[0].mStatus);
    EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eAvailable, info[1].mStatus);
    EXPECT_FALSE(server->reload());
    EXPECT_FALSE(lastAction().mSuccess);
}

TEST_F(SettingsServerTest, StorageIoFailure) {
    startServer(kStateFullyOperable, true);
    EXPECT_EQ(1, store({change(kVin, {'I', 'O'})}));
    EXPECT_EQ((std::vector<std::string>{"answer 1", "changeId 1"}), recorder.events);  // never "stored"
    EXPECT_EQ((Bytes{'I', 'O'}), pageItem(kVin));
    SActionLogEntry entry = lastAction();
    EXPECT_FALSE(entry.mSuccess);
    EXPECT_EQ(DSYSDorerAdmin::kIoResultStorageFailed, entry.mIoResult);
    EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eInAccessible, server->storageInfo()[0].mStatus);
    EXPECT_FALSE(server->reload());
    EXPECT_EQ(DSYSDorerAdmin::kIoResultStorageFailed, lastAction().mIoResult);

    // Never stored, but accepted: a run whose storage works writes it.
    startServer();
    EXPECT_EQ((Bytes{'I', 'O'}), pageItem(kVin));
    EXPECT_EQ(1, server->storedChangeId());
}

TEST_F(SettingsServerTest, VersionsOfWrittenPartitions) {
    startServer();
    EXPECT_TRUE(server->storedVersions().empty());
    store({change(kTwoBitField, {1})});
    EXPECT_EQ((std::vector<SStoredVersion>{{DSYSDorerTypes::Eeprom, 0x060C}}), server->storedVersions());
    EXPECT_EQ(DSYSDorerAdmin::EDorerAction_eVersionInfo, lastAction().mAction);
}

}  // namespace
