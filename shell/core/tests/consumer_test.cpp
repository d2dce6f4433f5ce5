// The notification consumer: connection reports, the OnOff and Admin answers, the store
// client's callbacks, the marks each closes, the shared service data, and the
// "TriggerNewState" timer (run at a thousandth of its time).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "CDSYSDorerAdminProxy.h"
#include "CDSYSDorerClientStoreProxy.h"
#include "CDSYSOnOffProxy.h"
#include "CDorerShellCommand.h"
#include "CDorerShellMarks.h"
#include "CDorerShellNotificationConsumer.h"
#include "CzoqDorerClientStore.h"
#include "IDorerShellCompletionListener.h"
#include "page_test_support.h"
#include "qf/CQFTimer.h"
#include "service_test_support.h"

namespace {

using namespace service_test;

// The interpreter's part: owns the consumer and the marks, installs them and the shared client
// store as the interpreter and its first command do, and records what the consumer reports.
struct RecordingMain : IDorerShellCompletionListener {
    RecordingMain() {
        CDorerShellCommand::sConsumer = &consumer;
        CDorerShellCommand::setMarks(&marks);
        CDorerShellCommand::sClientStore = new CzoqDorerClientStore;
        CDorerShellCommand::sClientStore->addListener(consumer.getStoreListener());
    }
    ~RecordingMain() override {
        CDorerShellCommand::releaseClientStore();
        CDorerShellCommand::sConsumer = nullptr;
        CDorerShellCommand::setMarks(nullptr);
    }
    void commandFinished(bool ok) override { finished.push_back(ok); }
    std::vector<bool> finished;
    CDorerShellNotificationConsumer consumer{*this};
    CDorerShellMarks marks;
};

FQFPIQPayloadWriter stateWriter(const char* state) {
    return [state](IQFOStream& out) { out.write(CQFString(state)); };
}

struct ConsumerTest : ::testing::Test {
    hu::testing::TempRoot root;
    page_test::Names names;
    std::unique_ptr<ScriptedServer> server = std::make_unique<ScriptedServer>("DorerSrv");
    std::unique_ptr<ShellSide> shell;
    RecordingMain* main = nullptr;
    CDorerShellNotificationConsumer* consumer = nullptr;

    ConsumerTest() {
        QFTimeScale::set(0.001);
        setenv("DORER_PAGE", names.page.c_str(), 1);
        setenv("DORER_PAGELOCK", names.lock.c_str(), 1);
        shell = std::make_unique<ShellSide>();
        shell->run([this] { main = new RecordingMain; });
        shell->atEnd([this] { delete main; });
        consumer = CDorerShellCommand::sConsumer;
    }
    ~ConsumerTest() override {
        shell.reset();
        QFTimeScale::set(1);
        unsetenv("DORER_PAGE");
        unsetenv("DORER_PAGELOCK");
    }
    void mark(eMarkType type) {
        shell->run([type] { CDorerShellSharedDataLock().getMarks()->registerMark(type, 0); });
    }
    std::vector<eMarkType> marks() {
        std::vector<eMarkType> types;
        shell->run([&] {
            for (const auto& m : CDorerShellSharedDataLock().getMarks()->getMarks()) types.push_back(m.mType);
        });
        return types;
    }
    std::vector<bool> finished() {
        std::vector<bool> f;
        shell->run([&] { f = main->finished; });
        return f;
    }
    bool finishedWith(std::vector<bool> expected) {
        return hu::testing::waitUntil([&] { return finished() == expected; });
    }
    // The connect command's part: the proxies of the Admin and OnOff interfaces.
    void connect() {
        shell->run([&] {
            CDorerShellCommand::sAdminProxy = CDSYSDorerAdminProxy::createProxy("DorerService", consumer->getConnectListener());
            CDorerShellCommand::sOnOffProxy = CDSYSOnOffProxy::createProxy("DorerService", consumer->getConnectListener());
        });
    }
    bool connected() {
        return shell->waitFor([] {
            return CDorerShellCommand::sAdminProxy->isConnected() && CDorerShellCommand::sOnOffProxy->isConnected();
        });
    }
};

TEST_F(ConsumerTest, ConnectSequenceEndsWithTheOperatingState) {
    server->server().publish(DSYSOnOff::kInterfaceName, DSYSOnOff::UPD_ID_currentOperatingState, stateWriter("ReadOnly"));
    mark(eAdminComponentConnected);
    mark(eOnOffComponentConnected);
    mark(eOnOffCurrentOperatingState);
    connect();
    ASSERT_TRUE(server->start());
    ASSERT_TRUE(finishedWith({true}));
    EXPECT_TRUE(marks().empty());
    shell->run([] { EXPECT_EQ(CDorerShellCommand::sCurrentState, CQFString("ReadOnly")); });

    // Each change of the state is taken; with no mark waiting the report counts as failed.
    server->server().publish(DSYSOnOff::kInterfaceName, DSYSOnOff::UPD_ID_currentOperatingState,
                             stateWriter("FullyOperable"));
    ASSERT_TRUE(finishedWith({true, false}));
    shell->run([] { EXPECT_EQ(CDorerShellCommand::sCurrentState, CQFString("FullyOperable")); });
}

TEST_F(ConsumerTest, ConnectionOfAnotherProxyFailsAndDisconnectionSucceeds) {
    ASSERT_TRUE(server->start());
    connect();
    ASSERT_TRUE(connected());
    ASSERT_TRUE(hu::testing::waitUntil([&] { return finished().size() >= 3; }));  // two connects, the state
    shell->run([&] {
        main->finished.clear();
        consumer->componentConnected(CDorerShellCommand::sClientStore->getStoreProxy());
        EXPECT_EQ(main->finished, (std::vector<bool>{false}));
        main->finished.clear();
    });
    mark(eAdminComponentConnected);
    mark(eAdminStorageInfo);
    server.reset();
    // Admin's disconnection closes its connect mark; the storage info mark still holds.
    ASSERT_TRUE(hu::testing::waitUntil([&] { return marks() == std::vector<eMarkType>{eAdminStorageInfo}; }));
    EXPECT_TRUE(finished().empty());
    shell->run([&] {
        CDorerShellSharedDataLock().getMarks()->unregisterMark(eAdminStorageInfo, 0);
        consumer->componentDisconnected(CDorerShellCommand::sOnOffProxy);
    });
    EXPECT_TRUE(finishedWith({true}));
}

// A refused trigger ends its sequence at once and as failed: no state update and no stored
// change id will follow it. A confirmed one waits for the state update or the timer, and
// ends as a success.
TEST_F(ConsumerTest, RefusedTriggerEndsTheSequenceAsFailed) {
    std::atomic<bool> accept{false};
    server->setScript([&accept](const SQFPIQRequest&, IQFIStream&, Answer& answer) {
        answer.mUpdateId = DSYSOnOff::UPD_ID_responseTriggerNewState;
        const bool ok = accept;
        answer.mWriter = [ok](IQFOStream& out) { out.write(ok); };
        return true;
    });
    server->server().publish(DSYSOnOff::kInterfaceName, DSYSOnOff::UPD_ID_currentOperatingState, stateWriter("ReadOnly"));
    ASSERT_TRUE(server->start());
    connect();
    ASSERT_TRUE(connected());
    ASSERT_TRUE(hu::testing::waitUntil([&] { return finished().size() >= 3; }));
    shell->run([&] { main->finished.clear(); });

    const struct {
        bool accepted;
        bool byState;
        bool ok;
    } cases[] = {{false, false, false}, {true, true, true}, {true, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.accepted << c.byState);
        accept = c.accepted;
        mark(eOnOffResponseTriggerNewState);
        mark(eOnOffCurrentOperatingState);
        mark(eDorerAttributeLastStoredChangeID);
        shell->run([&] { CDorerShellCommand::sOnOffProxy->requestTriggerNewState(consumer->getOnOffConsumer(), "FullyOperable"); });
        if (c.accepted) {
            ASSERT_TRUE(hu::testing::waitUntil([&] {
                return marks() == std::vector<eMarkType>{eOnOffCurrentOperatingState, eDorerAttributeLastStoredChangeID};
            }));
            shell->run([&] { consumer->onLastStoredChangeId(7); });
            if (c.byState) {
                server->server().publish(DSYSOnOff::kInterfaceName, DSYSOnOff::UPD_ID_currentOperatingState,
                                         stateWriter("FullyOperable"));
            }  // else the 30 s timer (30 ms here) closes the state mark
        }
        ASSERT_TRUE(finishedWith({c.ok}));
        EXPECT_TRUE(marks().empty());
        shell->run([&] { main->finished.clear(); });
    }
}

TEST_F(ConsumerTest, AdminAnswersReplaceTheSharedData) {
    server->setScript([](const SQFPIQRequest& request, IQFIStream&, Answer& answer) {
        DSYSDorerAdmin::SResponsePayload payload;
        payload.mUpdateId = DSYSDorerAdmin::kDescription.mResponseIds[request.mRequestId];
        payload.mInfo = std::vector<SStorageInfo>(3);
        payload.mSuccess = true;
        payload.mLog = std::vector<SActionLogEntry>(2);
        payload.mCompiledVersion = {4, 2, 0x060C, 0xFFFF};
        payload.mStoredVersions = {{1, 2}};
        answer.mUpdateId = payload.mUpdateId;
        // Version info fails: its data become the defaults.
        if (request.mRequestId == DSYSDorerAdmin::UPD_ID_requestVersionInfo) {
            answer.mUpdateId = request.mRequestId;
            answer.mResultType = QFServices::eResultType_RequestFailed;
        } else {
            answer.mWriter = [payload](IQFOStream& out) { DSYSDorerAdmin::writeResponsePayload(out, payload); };
        }
        return true;
    });
    ASSERT_TRUE(server->start());
    connect();
    ASSERT_TRUE(connected());
    ASSERT_TRUE(hu::testing::waitUntil([&] { return finished().size() >= 3; }));
    shell->run([&] {
        main->finished.clear();
        CDorerShellCommand::sCompiledVersion = {1, 1, 1, 1};
        CDorerShellCommand::sStoredVersions = {{9, 9}, {8, 8}};
    });
    struct Case {
        eMarkType mark;
        int32_t (CDSYSDorerAdminProxy::*request)(IQFEventConsumerBase*);
    } cases[] = {
        {eAdminStorageInfo, &CDSYSDorerAdminProxy::requestStorageInfo},
        {eAdminReload, &CDSYSDorerAdminProxy::requestReload},
        {eAdminActionLog, &CDSYSDorerAdminProxy::requestActionLog},
        {eAdminVersionInfo, &CDSYSDorerAdminProxy::requestVersionInfo},
    };
    for (const Case& c : cases) {
        mark(c.mark);
        shell->run([&] { (CDorerShellCommand::sAdminProxy->*c.request)(consumer->getAdminConsumer()); });
        ASSERT_TRUE(finishedWith({true})) << c.mark;
        shell->run([&] { main->finished.clear(); });
    }
    shell->run([] {
        EXPECT_EQ(CDorerShellCommand::sStorageInfo.size(), 3u);
        EXPECT_EQ(CDorerShellCommand::sReloadResult, 1);
        EXPECT_EQ(CDorerShellCommand::sActionLog.size(), 2u);
        EXPECT_EQ(CDorerShellCommand::sCompiledVersion, SDorerVersions());
        EXPECT_TRUE(CDorerShellCommand::sStoredVersions.empty());
    });
}

TEST_F(ConsumerTest, UnexpectedAdminUpdateEndsNothing) {
    mark(eAdminReload);
    shell->run([&] {
        CDSYSDorerAdminNotificationEvent event;
        event.mUpdateId = 0x80000009u;
        consumer->getAdminConsumer()->processEvent(event);
    });
    EXPECT_EQ(marks(), std::vector<eMarkType>{eAdminReload});
    EXPECT_TRUE(finished().empty());
}

TEST_F(ConsumerTest, StoreResponseChecksTheCookieAndTheTimerEndsTheStoredIdWait) {
    shell->run([&] { CDorerShellCommand::sStoreCookie = 4; });
    mark(eClientResponsePendingChangeId);
    mark(eDorerAttributeLastStoredChangeID);
    shell->run([&] {
        consumer->responseStoredChange(3, 11);  // another store's answer
        EXPECT_EQ(CDorerShellCommand::sPendingChangeId, -1);
        consumer->responseStoredChange(4, 12);
        EXPECT_EQ(CDorerShellCommand::sPendingChangeId, 12);
    });
    EXPECT_EQ(marks(), std::vector<eMarkType>{eDorerAttributeLastStoredChangeID});
    // No stored change id within 10 s (10 ms here): the timer ends the store as successful.
    EXPECT_TRUE(finishedWith({true}));
    EXPECT_TRUE(marks().empty());
}

// The wait for the stored change id ends on the value that covers the store's own change id,
// reported after its answer: an older value (a reconnected server's first report) ends
// nothing. A refused store waits for no stored change id.
TEST_F(ConsumerTest, StoredIdWaitEndsWhenTheStoreIsStored) {
    shell->run([&] {
        CDorerShellCommand::sStoreCookie = 4;
        CDorerShellCommand::sPendingChangeId = -1;
    });
    for (int32_t answer : {12, -1}) {
        SCOPED_TRACE(answer);
        mark(eClientResponsePendingChangeId);
        mark(eDorerAttributeLastStoredChangeID);
        shell->run([&] {
            consumer->onLastStoredChangeId(3);  // before the answer
            consumer->responseStoredChange(4, answer);
            if (answer != -1) {
                consumer->onLastStoredChangeId(11);
                EXPECT_TRUE(main->finished.empty());
                consumer->onLastStoredChangeId(12);
            }
            EXPECT_EQ(main->finished, (std::vector<bool>{true}));
            main->finished.clear();
        });
        EXPECT_TRUE(marks().empty());
    }
}

TEST_F(ConsumerTest, StoredChangeIdReportsOnlyWhenAwaited) {
    shell->run([&] {
        CDorerShellCommand::sPendingChangeId = -1;
        consumer->onLastStoredChangeId(5);
        EXPECT_EQ(CDorerShellCommand::sLastStoredChangeId, 5);
        EXPECT_TRUE(main->finished.empty());
    });
    mark(eDorerAttributeLastStoredChangeID);
    shell->run([&] {
        consumer->onLastStoredChangeId(6);
        EXPECT_EQ(main->finished, (std::vector<bool>{true}));
        consumer->triggerAction(false);  // nothing outstanding: reported at once
        EXPECT_EQ(main->finished, (std::vector<bool>{true, false}));
    });
}

TEST_F(ConsumerTest, DestructionGivesTheProxiesBack) {
    ASSERT_TRUE(server->start());
    connect();
    ASSERT_TRUE(connected());
    shell->run([&] {
        delete main;  // and with it the consumer
        main = nullptr;
        EXPECT_EQ(CDorerShellCommand::sAdminProxy, nullptr);
        EXPECT_EQ(CDorerShellCommand::sOnOffProxy, nullptr);
    });
}

}  // namespace
