// The four proxies against scripted servers over the real transport: requests and their
// responses, attribute notifications, failed requests, connection reports, reconnection and
// the getters' misuse reports.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CDSYSDorerAdminProxy.h"
#include "CDSYSDorerClientGetProxy.h"
#include "CDSYSOnOffProxy.h"
#include "service_test_support.h"

namespace {

using namespace service_test;

struct ConnectLog : IQFProxyConnectListener {
    std::vector<std::string> events;  // component thread only
    void componentConnected(CQFProxyBase*) override { events.push_back("connected"); }
    void componentDisconnected(CQFProxyBase*) override { events.push_back("disconnected"); }
};

FQFPIQPayloadWriter stateWriter(const char* state) {
    return [state](IQFOStream& out) {
        DSYSOnOff::SResponsePayload payload;
        payload.mUpdateId = DSYSOnOff::UPD_ID_currentOperatingState;
        payload.mCurrentOperatingState = state;
        DSYSOnOff::writeResponsePayload(out, payload);
    };
}

struct ProxyTest : ::testing::Test {
    hu::testing::TempRoot root;
    std::unique_ptr<ScriptedServer> server = std::make_unique<ScriptedServer>("DorerSrv");
    ShellSide shell;
    ConnectLog* log = shell.make<ConnectLog>();

    template <class TProxy>
    TProxy* proxy(const char* role = "DorerService") {
        TProxy* p = nullptr;
        shell.run([&] { p = TProxy::createProxy(role, log); });
        shell.atEnd([p, this] {
            if (p) p->freeProxyInstance(log);
        });
        return p;
    }
    bool connected(CQFProxyBase* p) {
        return shell.waitFor([p] { return p->isConnected(); });
    }
    size_t count(const std::vector<Seen>& seen, size_t n) {
        shell.waitFor([&] { return seen.size() >= n; });
        size_t size = 0;
        shell.run([&] { size = seen.size(); });
        return size;
    }
};

TEST_F(ProxyTest, OnOffTriggerAndOperatingState) {
    server->setScript([](const SQFPIQRequest& request, IQFIStream& in, Answer& answer) {
        DSYSOnOff::SRequestPayload params;
        params.mRequestId = static_cast<int32_t>(request.mRequestId);
        DSYSOnOff::readRequestPayload(in, params);
        answer.mUpdateId = DSYSOnOff::UPD_ID_responseTriggerNewState;
        const bool ok = params.mNewState == "FullyOperable";
        answer.mWriter = [ok](IQFOStream& out) { out.write(ok); };
        return true;
    });
    ASSERT_TRUE(server->start());
    auto* onOff = proxy<CDSYSOnOffProxy>();
    auto* consumer = shell.make<RecordingConsumer<CDSYSOnOffNotificationEvent>>();
    consumer->read = [onOff](CDSYSOnOffNotificationEvent& e) {
        if (e.mUpdateId == DSYSOnOff::UPD_ID_responseTriggerNewState) return std::string(onOff->getTriggerOk() ? "true" : "false");
        return onOff->getCurrentOperatingState().str();
    };
    ASSERT_TRUE(connected(onOff));
    // The implementation version comes as an update of its own, read on the proxy's thread.
    EXPECT_TRUE(shell.waitFor([&] { return onOff->getImplementationVersion() == SQFImplementationVersion{1, 2, 3}; }));

    int32_t first = 0, second = 0;
    shell.run([&] {
        onOff->setNotification(DSYSOnOff::UPD_ID_currentOperatingState, consumer);
        first = onOff->requestTriggerNewState(consumer, "FullyOperable");
        second = onOff->requestTriggerNewState(consumer, "");
    });
    ASSERT_EQ(count(consumer->seen, 3), 3u);
    EXPECT_LT(0, first);
    EXPECT_LT(first, second);
    shell.run([&] {
        const std::vector<Seen>& s = consumer->seen;
        EXPECT_EQ(s[0].mUpdateId, DSYSOnOff::UPD_ID_currentOperatingState);
        EXPECT_EQ(s[0].mResultType, QFServices::eResultType_NotificationInvalid);  // nothing published yet
        EXPECT_EQ(s[1].mUpdateId, DSYSOnOff::UPD_ID_responseTriggerNewState);
        EXPECT_EQ(s[1].mSequenceNumber, static_cast<uint32_t>(first));
        EXPECT_EQ(s[1].mValue, "true");
        EXPECT_EQ(s[2].mSequenceNumber, static_cast<uint32_t>(second));
        EXPECT_EQ(s[2].mValue, "false");
    });
    const auto requests = server->received();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].mRequestId, 0u);
    EXPECT_EQ(requests[0].mPayload.getSize(), 4u + 14);
    EXPECT_EQ(requests[1].mPayload, CQFBuffer(std::string(4, '\0').data(), 4));

    server->server().publish(DSYSOnOff::kInterfaceName, DSYSOnOff::UPD_ID_currentOperatingState, stateWriter("ReadOnly"));
    ASSERT_EQ(count(consumer->seen, 4), 4u);
    shell.run([&] {
        EXPECT_EQ(consumer->seen[3].mResultType, QFServices::eResultType_Valid);
        EXPECT_EQ(consumer->seen[3].mValue, "ReadOnly");
        EXPECT_EQ(onOff->getDataState(DSYSOnOff::UPD_ID_currentOperatingState), QFServices::eDataState_Valid);
    });
}

TEST_F(ProxyTest, AdminResponsesCarryTheirParameters) {
    server->setScript([](const SQFPIQRequest& request, IQFIStream&, Answer& answer) {
        DSYSDorerAdmin::SResponsePayload payload;
        payload.mUpdateId = DSYSDorerAdmin::kDescription.mResponseIds[request.mRequestId];
        SStorageInfo info;
        info.mStorage = DSYSDorerTypes::Flash;
        info.mEraseCounter = 17;
        payload.mInfo = {info, info};
        payload.mSuccess = true;
        SActionLogEntry entry;
        entry.mSequenceNumber = 9;
        entry.mItemErrors = {{0xC0000001u, 2}};
        payload.mLog = {entry};
        payload.mCompiledVersion = {4, 2, 0x060C, 0xFFFF};
        payload.mStoredVersions = {{1, 3}};
        answer.mUpdateId = payload.mUpdateId;
        answer.mWriter = [payload](IQFOStream& out) { DSYSDorerAdmin::writeResponsePayload(out, payload); };
        return true;
    });
    ASSERT_TRUE(server->start());
    auto* admin = proxy<CDSYSDorerAdminProxy>();
    auto* consumer = shell.make<RecordingConsumer<CDSYSDorerAdminNotificationEvent>>();
    consumer->read = [admin](CDSYSDorerAdminNotificationEvent& e) {
        switch (e.mUpdateId) {
            case DSYSDorerAdmin::UPD_ID_responseStorageInfo:
                return std::to_string(admin->getInfo().size()) + " " + std::to_string(admin->getInfo()[1].mEraseCounter);
            case DSYSDorerAdmin::UPD_ID_responseReload: return std::string(admin->getSuccess() ? "true" : "false");
            case DSYSDorerAdmin::UPD_ID_responseActionLog:
                return std::to_string(admin->getLog()[0].mSequenceNumber) + " " +
                       std::to_string(admin->getLog()[0].mItemErrors[0].mReason);
            default:
                return std::to_string(admin->getCompiledVersion().mCbVersion) + " " +
                       std::to_string(admin->getStoredVersions()[0].mVersion);
        }
    };
    ASSERT_TRUE(connected(admin));
    shell.run([&] {
        EXPECT_EQ(admin->requestStorageInfo(consumer), 1);
        EXPECT_EQ(admin->requestReload(consumer), 2);
        EXPECT_EQ(admin->requestActionLog(consumer), 3);
        EXPECT_EQ(admin->requestVersionInfo(consumer), 4);
    });
    ASSERT_EQ(count(consumer->seen, 4), 4u);
    shell.run([&] {
        const char* expected[] = {"2 17", "true", "9 2", "1548 3"};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(consumer->seen[i].mUpdateId, 0x80000000u + i);
            EXPECT_EQ(consumer->seen[i].mSequenceNumber, i + 1);
            EXPECT_EQ(consumer->seen[i].mValue, expected[i]);
        }
    });
}

TEST_F(ProxyTest, FailedRequestIsDeliveredAsItsResponse) {
    server->setScript([](const SQFPIQRequest& request, IQFIStream&, Answer& answer) {
        answer.mUpdateId = request.mRequestId;  // the failed request's index
        answer.mResultType = QFServices::eResultType_RequestFailed;
        return true;
    });
    ASSERT_TRUE(server->start());
    auto* admin = proxy<CDSYSDorerAdminProxy>();
    auto* consumer = shell.make<RecordingConsumer<CDSYSDorerAdminNotificationEvent>>();
    consumer->read = [admin](CDSYSDorerAdminNotificationEvent&) { return std::to_string(admin->getLog().size()); };
    ASSERT_TRUE(connected(admin));
    int32_t sequence = 0;
    shell.run([&] { sequence = admin->requestActionLog(consumer); });
    ASSERT_EQ(count(consumer->seen, 1), 1u);
    shell.run([&] {
        EXPECT_EQ(consumer->seen[0].mUpdateId, DSYSDorerAdmin::UPD_ID_responseActionLog);
        EXPECT_EQ(consumer->seen[0].mResultType, QFServices::eResultType_RequestFailed);
        EXPECT_EQ(consumer->seen[0].mSequenceNumber, static_cast<uint32_t>(sequence));
        EXPECT_EQ(consumer->seen[0].mValue, "0");
        EXPECT_EQ(admin->getDataState(DSYSDorerAdmin::UPD_ID_responseActionLog), QFServices::eDataState_Invalid);
    });
}

TEST_F(ProxyTest, ServerGoingAwayFailsRequestsInFlightAndReconnects) {
    ASSERT_TRUE(server->start());  // answers nothing
    auto* onOff = proxy<CDSYSOnOffProxy>();
    auto* consumer = shell.make<RecordingConsumer<CDSYSOnOffNotificationEvent>>();
    consumer->read = [onOff](CDSYSOnOffNotificationEvent& e) {
        if (e.mUpdateId == DSYSOnOff::UPD_ID_responseTriggerNewState) return std::string(onOff->getTriggerOk() ? "true" : "false");
        return onOff->getCurrentOperatingState().str();
    };
    server->server().publish(DSYSOnOff::kInterfaceName, DSYSOnOff::UPD_ID_currentOperatingState, stateWriter("ReadOnly"));
    ASSERT_TRUE(connected(onOff));
    shell.run([&] {
        onOff->setNotification(DSYSOnOff::UPD_ID_currentOperatingState, consumer);
        onOff->requestTriggerNewState(consumer, "FullyOperable");
    });
    ASSERT_TRUE(server->waitForRequests(1));
    ASSERT_EQ(count(consumer->seen, 1), 1u);

    server.reset();
    ASSERT_EQ(count(consumer->seen, 2), 2u);
    shell.run([&] {
        EXPECT_FALSE(onOff->isConnected());
        EXPECT_EQ(log->events, (std::vector<std::string>{"connected", "disconnected"}));
        EXPECT_EQ(consumer->seen[1].mUpdateId, DSYSOnOff::UPD_ID_responseTriggerNewState);
        EXPECT_EQ(consumer->seen[1].mResultType, QFServices::eResultType_RequestFailed);
        EXPECT_EQ(consumer->seen[1].mValue, "false");
        EXPECT_EQ(onOff->requestTriggerNewState(consumer, "ReadOnly"), -1);
    });

    server = std::make_unique<ScriptedServer>("DorerSrv");
    server->server().publish(DSYSOnOff::kInterfaceName, DSYSOnOff::UPD_ID_currentOperatingState,
                             stateWriter("FullyOperable"));
    ASSERT_TRUE(server->start());
    ASSERT_TRUE(connected(onOff));
    // The subscription is asked for again without the consumer's doing.
    ASSERT_EQ(count(consumer->seen, 3), 3u);
    shell.run([&] {
        EXPECT_EQ(log->events, (std::vector<std::string>{"connected", "disconnected", "connected"}));
        EXPECT_EQ(consumer->seen[2].mValue, "FullyOperable");
    });
}

TEST_F(ProxyTest, ProxyMadeBeforeItsServerConnectsWhenTheServerStarts) {
    auto* get = proxy<CDSYSDorerClientGetProxy>("DorerPageProxy");
    auto* admin = proxy<CDSYSDorerAdminProxy>();
    ASSERT_TRUE(get && admin);
    shell.run([&] { EXPECT_FALSE(admin->isConnected()); });
    ScriptedServer page("DorerPageProxy");
    ASSERT_TRUE(page.start());
    ASSERT_TRUE(server->start());
    EXPECT_TRUE(connected(get));
    EXPECT_TRUE(connected(admin));
}

TEST_F(ProxyTest, ImportOfAnotherMajorVersionIsRefused) {
    server = std::make_unique<ScriptedServer>("DorerSrv", 2);
    ASSERT_TRUE(server->start());
    auto* onOff = proxy<CDSYSOnOffProxy>();
    auto* admin = proxy<CDSYSDorerAdminProxy>();
    // Both imports go out on one connection, so the refusal has come when Admin is accepted.
    ASSERT_TRUE(connected(admin));
    shell.run([&] { EXPECT_FALSE(onOff->isConnected()); });
}

TEST_F(ProxyTest, GettersOutsideTheirResponseReportMisuse) {
    server->setScript([](const SQFPIQRequest&, IQFIStream&, Answer& answer) {
        answer.mUpdateId = DSYSDorerAdmin::UPD_ID_responseReload;
        answer.mWriter = [](IQFOStream& out) { out.write(true); };
        return true;
    });
    ASSERT_TRUE(server->start());
    auto* admin = proxy<CDSYSDorerAdminProxy>();
    auto* consumer = shell.make<RecordingConsumer<CDSYSDorerAdminNotificationEvent>>();
    consumer->read = [admin](CDSYSDorerAdminNotificationEvent&) {
        return std::to_string(admin->getInfo().size()) + (admin->getSuccess() ? " true" : " false");
    };
    ASSERT_TRUE(connected(admin));
    Assertions assertions;
    shell.run([&] {
        EXPECT_FALSE(admin->getSuccess());
        admin->requestReload(consumer);
    });
    ASSERT_EQ(count(consumer->seen, 1), 1u);
    shell.run([&] { EXPECT_EQ(consumer->seen[0].mValue, "0 true"); });
    const auto all = assertions.all();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].mMessage, " CDSYSDorerAdminProxy");
    EXPECT_EQ(all[0].mValue, "Success_NoResponse");
    EXPECT_EQ(all[1].mValue, "Info");
}

TEST_F(ProxyTest, UnreadableEventIsDroppedAndTheNextArrives) {
    server->setScript([](const SQFPIQRequest& request, IQFIStream&, Answer& answer) {
        answer.mUpdateId = DSYSDorerAdmin::UPD_ID_responseStorageInfo;
        const bool hostile = request.mSequenceNumber == 1;
        answer.mWriter = [hostile](IQFOStream& out) {
            out.write(static_cast<uint32_t>(hostile ? 0x7FFFFFFF : 0));  // more elements than bytes
        };
        return true;
    });
    ASSERT_TRUE(server->start());
    auto* admin = proxy<CDSYSDorerAdminProxy>();
    auto* consumer = shell.make<RecordingConsumer<CDSYSDorerAdminNotificationEvent>>();
    ASSERT_TRUE(connected(admin));
    shell.run([&] {
        admin->requestStorageInfo(consumer);
        admin->requestStorageInfo(consumer);
    });
    ASSERT_EQ(count(consumer->seen, 1), 1u);
    shell.run([&] {
        EXPECT_EQ(consumer->seen[0].mSequenceNumber, 2u);
        EXPECT_TRUE(admin->isConnected());
    });
}

}  // namespace
