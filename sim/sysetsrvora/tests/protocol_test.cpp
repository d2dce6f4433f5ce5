// sysetsrvora as a process, seen through the middleware by a client: the store road in each
// operating state, refusals, persistence across kills, damaged storage and every fault switch.
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "DSYSDorerAdmin.h"
#include "DSYSDorerClientGet.h"
#include "DSYSDorerClientStore.h"
#include "DSYSOnOff.h"
#include "DorerItemId.h"
#include "DorerCatalogue.h"
#include "hu_testing.h"
#include "test_changes.h"
#include "piq/QFPIQFrame.h"
#include "service_test_client.h"

namespace {

using hu::sysetsrv::testing::ServiceEvent;
using hu::sysetsrv::testing::ServiceTestClient;
using hu::testing::Process;
using hu::testing::TempRoot;
using Bytes = std::vector<uint8_t>;
using hu::sysetsrv::testing::change;
using hu::sysetsrv::testing::itemOnPage;
using hu::sysetsrv::testing::kShellVersions;
using hu::sysetsrv::testing::kVin;

constexpr uint16_t kOnOff = 10, kStore = 12, kAdmin = 13, kGet = 11;  // import addresses of the client


class ProtocolTest : public ::testing::Test {
protected:
    TempRoot root;
    std::string pageName = "/sysetsrv_proto_" + std::to_string(getpid()) + "_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::string lockName = pageName + "-lock";
    std::unique_ptr<Process> server;
    std::unique_ptr<ServiceTestClient> srv;
    std::unique_ptr<ServiceTestClient> page;

    ProtocolTest() { DorerCatalogue_install(); }
    ~ProtocolTest() override {
        srv.reset();
        page.reset();
        server.reset();
        shm_unlink(pageName.c_str());
        shm_unlink(lockName.c_str());
    }

    void startServer(std::vector<std::string> arguments = {}) {
        srv.reset();
        page.reset();
        server.reset();  // a server that stops removes the endpoint
        std::string endpoint = QFPIQFrame::endpointPath("DorerSrv");
        unlink(endpoint.c_str());
        arguments.insert(arguments.begin(), hu::testing::binPath("sysetsrvora"));
        Process::Options options;
        options.env = {{"DORER_PAGE", pageName}, {"DORER_PAGELOCK", lockName}};
        server = std::make_unique<Process>(arguments, options);
        ASSERT_TRUE(hu::testing::waitUntil([&] { return access(endpoint.c_str(), F_OK) == 0; })) << server->err();
        connect();
    }

    void connect() { ASSERT_TRUE(tryConnect()); }
    bool tryConnect() {
        srv = std::make_unique<ServiceTestClient>("DorerSrv");
        page = std::make_unique<ServiceTestClient>("DorerPageProxy");
        return srv->importService(DSYSOnOff::kImportName, 1, 1, kOnOff) &&
               srv->importService(DSYSDorerClientStore::kImportName, 2, 0, kStore) &&
               srv->importService(DSYSDorerAdmin::kImportName, 2, 0, kAdmin) &&
               page->importService(DSYSDorerClientGet::kImportName, 1, 0, kGet);
    }

    // The next value of an attribute (the current one right after subscribing).
    std::string state() {
        ServiceEvent event;
        EXPECT_TRUE(srv->waitFor(kOnOff, DSYSOnOff::UPD_ID_currentOperatingState, event));
        return event.payload(DSYSOnOff::readResponsePayload).mCurrentOperatingState.getCString();
    }
    int32_t changeId() {
        ServiceEvent event;
        EXPECT_TRUE(page->waitFor(kGet, DSYSDorerClientGet::UPD_ID_changeId, event));
        return event.payload(DSYSDorerClientGet::readResponsePayload).mChangeId;
    }
    int32_t storedChangeId() {
        ServiceEvent event;
        EXPECT_TRUE(srv->waitFor(kStore, DSYSDorerClientStore::UPD_ID_storedChangeId, event));
        return event.payload(DSYSDorerClientStore::readResponsePayload).mStoredChangeId;
    }
    void subscribeAll() {
        srv->subscribe(kOnOff, DSYSOnOff::UPD_ID_currentOperatingState);
        srv->subscribe(kStore, DSYSDorerClientStore::UPD_ID_storedChangeId);
        page->subscribe(kGet, DSYSDorerClientGet::UPD_ID_changeId);
    }

    uint32_t sendStore(const std::vector<SDorerItemChange>& changes) {
        DSYSDorerClientStore::SRequestPayload request;
        request.mRequestId = DSYSDorerClientStore::UPD_ID_requestStore;
        request.mChanges = changes;
        request.mVersions = kShellVersions;
        return srv->send(kStore, DSYSDorerClientStore::UPD_ID_requestStore,
                         [&](IQFOStream& out) { DSYSDorerClientStore::writeRequestPayload(out, request); });
    }
    // The change id the store was answered with; the answer carries the request's sequence number.
    int32_t store(const std::vector<SDorerItemChange>& changes) {
        uint32_t sequence = sendStore(changes);
        ServiceEvent event;
        if (!srv->waitFor(kStore, DSYSDorerClientStore::UPD_ID_responseStore, event)) return -2;
        EXPECT_EQ(sequence, event.header.mSequenceNumber);
        EXPECT_EQ(static_cast<uint32_t>(QFServices::eResultType_Ok), event.header.mResultType);
        return event.payload(DSYSDorerClientStore::readResponsePayload).mChangeId;
    }
    bool trigger(const std::string& newState) {
        DSYSOnOff::SRequestPayload request;
        request.mRequestId = DSYSOnOff::UPD_ID_requestTriggerNewState;
        request.mNewState = newState.c_str();
        srv->send(kOnOff, request.mRequestId, [&](IQFOStream& out) { DSYSOnOff::writeRequestPayload(out, request); });
        ServiceEvent event;
        EXPECT_TRUE(srv->waitFor(kOnOff, DSYSOnOff::UPD_ID_responseTriggerNewState, event));
        return event.payload(DSYSOnOff::readResponsePayload).mTriggerOk;
    }
    bool admin(uint32_t requestId, DSYSDorerAdmin::SResponsePayload& response,
               std::chrono::milliseconds wait = std::chrono::seconds(10)) {
        srv->send(kAdmin, requestId);
        ServiceEvent event;
        if (!srv->waitFor(kAdmin, kQFFirstResponseId + requestId, event, wait)) return false;
        response = event.payload(DSYSDorerAdmin::readResponsePayload);
        return true;
    }
    DSYSDorerAdmin::SResponsePayload admin(uint32_t requestId) {
        DSYSDorerAdmin::SResponsePayload response;
        EXPECT_TRUE(admin(requestId, response));
        return response;
    }

    Bytes pageItem(uint32_t id) { return itemOnPage(pageName, id); }
    std::string dataFile(const std::string& name) { return root.path() + "/var/sysetsrv/" + name; }
};

// What a store does to the page and storage is the model's (settings_server_test); here, that
// its answer and both change ids reach a subscriber over the service.
TEST_F(ProtocolTest, StoreInFullyOperableIsAnsweredAndPublished) {
    startServer();
    subscribeAll();
    EXPECT_EQ("FullyOperable", state());
    EXPECT_EQ(-1, changeId());
    EXPECT_EQ(-1, storedChangeId());

    EXPECT_EQ(1, store({change(kVin, {'W', 'V', 'W'})}));
    EXPECT_EQ(1, changeId());
    EXPECT_EQ(1, storedChangeId());
}

TEST_F(ProtocolTest, StoreInReadOnlyIsWrittenOnTheSwitch) {
    startServer({"--state=ReadOnly"});
    subscribeAll();
    EXPECT_EQ("ReadOnly", state());
    EXPECT_EQ(-1, changeId());
    EXPECT_EQ(-1, storedChangeId());
    EXPECT_EQ(1, store({change(kVin, {'R'})}));
    EXPECT_EQ(1, changeId());
    EXPECT_EQ(Bytes{'R'}, pageItem(kVin));
    // Requests are served in order: once this answer is here the store is complete.
    EXPECT_EQ(0, admin(DSYSDorerAdmin::UPD_ID_requestStorageInfo).mInfo[0].mEraseCounter);
    EXPECT_NE(0, access(dataFile("flash.part").c_str(), F_OK));

    EXPECT_FALSE(trigger("Fullyoperable"));
    EXPECT_TRUE(trigger("FullyOperable"));
    EXPECT_EQ(1, storedChangeId());
    EXPECT_EQ("FullyOperable", state());
    EXPECT_EQ(0, access(dataFile("flash.part").c_str(), F_OK));
}

TEST_F(ProtocolTest, ARefusedStoreChangesNothingAndIsLogged) {
    startServer();
    subscribeAll();
    EXPECT_EQ(-1, store({change(kVin, {'A'}), change(kVin, Bytes(18, 'B'))}));
    std::vector<SActionLogEntry> log = admin(DSYSDorerAdmin::UPD_ID_requestActionLog).mLog;
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(DSYSDorerAdmin::EDorerAction_eStore, log.back().mAction);
    EXPECT_FALSE(log.back().mSuccess);
    EXPECT_EQ((std::vector<SItemError>{{kVin, DSYSDorerAdmin::EDataInvalid_eWrongSize}}), log.back().mItemErrors);
    EXPECT_EQ(Bytes{0}, pageItem(kVin));
    EXPECT_EQ(1, store({change(kVin, {'A'})}));
}

TEST_F(ProtocolTest, StoredValuesSurviveSigkillAndDamageIsReported) {
    startServer();
    subscribeAll();
    EXPECT_EQ(-1, storedChangeId());
    EXPECT_EQ(1, store({change(kVin, {'K', 'I', 'L', 'L'}), change(0x822E0004, {1, 2, 3, 4})}));
    EXPECT_EQ(1, storedChangeId());  // acknowledged as stored: from now on it must survive
    server->stop(SIGKILL);
    shm_unlink(pageName.c_str());  // the page is rebuilt from storage, not kept from before

    startServer();
    subscribeAll();
    EXPECT_EQ(1, storedChangeId());
    EXPECT_EQ((Bytes{'K', 'I', 'L', 'L'}), pageItem(kVin));
    EXPECT_EQ((Bytes{1, 2, 3, 4}), pageItem(0x822E0004));
    std::vector<SStoredVersion> stored = admin(DSYSDorerAdmin::UPD_ID_requestVersionInfo).mStoredVersions;
    EXPECT_EQ((std::vector<SStoredVersion>{{DSYSDorerTypes::Flash, 4}, {DSYSDorerTypes::Adjust, 2}}), stored);

    std::string flash = hu::testing::readFile(dataFile("flash.part"));
    flash[flash.size() - 6] ^= 0x20;
    hu::testing::writeFile(dataFile("flash.part"), flash);
    EXPECT_FALSE(admin(DSYSDorerAdmin::UPD_ID_requestReload).mSuccess);
    std::vector<SStorageInfo> info = admin(DSYSDorerAdmin::UPD_ID_requestStorageInfo).mInfo;
    ASSERT_EQ(4u, info.size());
    EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eCorrupted, info[0].mStatus);
    EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eAvailable, info[2].mStatus);
    EXPECT_EQ(Bytes{0}, pageItem(kVin));  // the damaged partition's content is not used
    EXPECT_EQ((Bytes{1, 2, 3, 4}), pageItem(0x822E0004));
}

TEST_F(ProtocolTest, VersionInfoAndStorageInfoOfAFreshServer) {
    startServer();
    DSYSDorerAdmin::SResponsePayload versions = admin(DSYSDorerAdmin::UPD_ID_requestVersionInfo);
    EXPECT_EQ(kShellVersions, versions.mCompiledVersion);
    EXPECT_TRUE(versions.mStoredVersions.empty());
    std::vector<SStorageInfo> info = admin(DSYSDorerAdmin::UPD_ID_requestStorageInfo).mInfo;
    std::vector<DSYSDorerTypes::EStorageType> types;
    for (const SStorageInfo& partition : info) {
        types.push_back(partition.mStorage);
        EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eAvailable, partition.mStatus);
    }
    EXPECT_EQ((std::vector<DSYSDorerTypes::EStorageType>{DSYSDorerTypes::Flash, DSYSDorerTypes::Eeprom,
                                                         DSYSDorerTypes::Adjust, DSYSDorerTypes::Early}),
              types);
    EXPECT_TRUE(admin(DSYSDorerAdmin::UPD_ID_requestReload).mSuccess);
    std::vector<SActionLogEntry> log = admin(DSYSDorerAdmin::UPD_ID_requestActionLog).mLog;
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ(DSYSDorerAdmin::EDorerAction_eReload, log[2].mAction);
    EXPECT_LT(log[0].mSequenceNumber, log[1].mSequenceNumber);
    EXPECT_LT(log[1].mSequenceNumber, log[2].mSequenceNumber);
}

TEST_F(ProtocolTest, RefuseStoreFailReloadAndIoFailureSwitches) {
    startServer({"--refuse-store", "--fail-reload"});
    EXPECT_EQ(-1, store({change(kVin, {'A'})}));
    EXPECT_FALSE(admin(DSYSDorerAdmin::UPD_ID_requestReload).mSuccess);
    std::vector<SActionLogEntry> refusals = admin(DSYSDorerAdmin::UPD_ID_requestActionLog).mLog;
    ASSERT_EQ(2u, refusals.size());  // both logged as failed, with no storage failure
    EXPECT_EQ(DSYSDorerAdmin::EDorerAction_eStore, refusals[0].mAction);
    EXPECT_EQ(DSYSDorerAdmin::EDorerAction_eReload, refusals[1].mAction);
    for (const SActionLogEntry& entry : refusals) {
        EXPECT_FALSE(entry.mSuccess);
        EXPECT_EQ(0, entry.mIoResult);
    }

    startServer({"--io-failure"});
    subscribeAll();
    EXPECT_EQ(-1, changeId());
    EXPECT_EQ(-1, storedChangeId());
    EXPECT_EQ(1, store({change(kVin, {'I', 'O'})}));
    EXPECT_EQ(1, changeId());
    SActionLogEntry entry = admin(DSYSDorerAdmin::UPD_ID_requestActionLog).mLog.back();
    EXPECT_EQ(DSYSDorerAdmin::EDorerAction_eStore, entry.mAction);
    EXPECT_FALSE(entry.mSuccess);
    EXPECT_EQ(DSYSDorerAdmin::kIoResultStorageFailed, entry.mIoResult);
    for (const SStorageInfo& partition : admin(DSYSDorerAdmin::UPD_ID_requestStorageInfo).mInfo) {
        EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eInAccessible, partition.mStatus);
    }
}

TEST_F(ProtocolTest, DelayNoAnswerAndDropSwitches) {
    startServer({"--delay=300"});
    auto before = std::chrono::steady_clock::now();
    admin(DSYSDorerAdmin::UPD_ID_requestStorageInfo);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(300));

    startServer({"--no-answer=reload", "--no-answer=store"});
    subscribeAll();
    EXPECT_EQ(-1, changeId());
    sendStore({change(kVin, {'S'})});
    srv->send(kAdmin, DSYSDorerAdmin::UPD_ID_requestReload);
    // Served in order: the action log's answer comes after where the others would have been.
    std::vector<SActionLogEntry> log = admin(DSYSDorerAdmin::UPD_ID_requestActionLog).mLog;
    ASSERT_EQ(2u, log.size());  // both were carried out
    ServiceEvent none;
    EXPECT_FALSE(srv->waitFor(kAdmin, DSYSDorerAdmin::UPD_ID_responseReload, none, std::chrono::milliseconds(0)));
    EXPECT_FALSE(srv->waitFor(kStore, DSYSDorerClientStore::UPD_ID_responseStore, none, std::chrono::milliseconds(0)));
    EXPECT_EQ(1, changeId());

    startServer({"--drop-after=2"});
    admin(DSYSDorerAdmin::UPD_ID_requestStorageInfo);
    admin(DSYSDorerAdmin::UPD_ID_requestVersionInfo);
    EXPECT_TRUE(srv->waitForClose());
    // The service is back (a connection made while it restarts may still be cut) and stays.
    ASSERT_TRUE(hu::testing::waitUntil([&] { return tryConnect(); }));
    admin(DSYSDorerAdmin::UPD_ID_requestStorageInfo);
    admin(DSYSDorerAdmin::UPD_ID_requestStorageInfo);
    EXPECT_TRUE(admin(DSYSDorerAdmin::UPD_ID_requestReload).mSuccess);
}

TEST_F(ProtocolTest, SigtermEndsTheServerCleanly) {
    startServer();
    EXPECT_EQ(1, store({change(kVin, {'T'})}));
    int status = server->stop(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(0, WEXITSTATUS(status));
    startServer();
    EXPECT_EQ(Bytes{'T'}, pageItem(kVin));
}

TEST(ServerCommandLineTest, HelpAndBadOptions) {
    TempRoot root;
    hu::testing::RunResult help = hu::testing::run({hu::testing::binPath("sysetsrvora"), "--help"});
    EXPECT_EQ(0, help.exit_code);
    for (const char* option : {"--data-dir=", "--state=", "--refuse-store", "--fail-reload", "--io-failure", "--delay=",
                               "--drop-after=", "--no-answer="}) {
        EXPECT_NE(std::string::npos, help.out.find(option)) << option;
    }
    for (const char* bad : {"--bogus", "--state=Loaded", "--delay=soon", "--drop-after=0", "--no-answer=all"}) {
        EXPECT_EQ(2, hu::testing::run({hu::testing::binPath("sysetsrvora"), bad}).exit_code) << bad;
    }
}

}  // namespace
