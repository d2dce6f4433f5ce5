// The middleware transport with hostile peers: lengths that cannot be right end only the
// connection that sent them, on either side, and the importer reconnects.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "CDSYSDorerAdminProxy.h"
#include "hu/unix_socket.h"
#include "piq/QFPIQFrame.h"
#include "service_test_support.h"

namespace {

using namespace service_test;

int connectTo(const std::string& path) { return hu::unix_socket::connectTo(path, SOCK_STREAM); }

int listenAt(const std::string& path) { return hu::unix_socket::bindAt(path, SOCK_STREAM, 4); }

// True when the peer closed the connection (a read gives end of file).
bool closedByPeer(int fd) {
    char byte;
    for (;;) {
        const ssize_t n = read(fd, &byte, 1);
        if (n == 0) return true;
        if (n < 0) return false;
    }
}

struct TransportTest : ::testing::Test {
    hu::testing::TempRoot root;
};

TEST_F(TransportTest, ServerDropsAPeerWithAnImpossibleFrameAndServesTheOthers) {
    ScriptedServer server("DorerSrv");
    server.setScript([](const SQFPIQRequest&, IQFIStream&, Answer& answer) {
        answer.mUpdateId = DSYSDorerAdmin::UPD_ID_responseReload;
        answer.mWriter = [](IQFOStream& out) { out.write(true); };
        return true;
    });
    ASSERT_TRUE(server.start());
    ShellSide shell;
    CDSYSDorerAdminProxy* admin = nullptr;
    shell.run([&] { admin = CDSYSDorerAdminProxy::createProxy("DorerSrv", nullptr); });
    shell.atEnd([admin] { admin->freeProxyInstance(nullptr); });
    ASSERT_TRUE(shell.waitFor([&] { return admin->isConnected(); }));

    struct Case {
        const char* what;
        std::vector<uint32_t> words;
    } cases[] = {
        {"longer than any frame", {0xFFFFFFF0u, 3}},
        {"shorter than its kind", {2, 3}},
        {"import without a name", {8, 1, 0x7FFFFFFF}},
        {"unknown kind", {4, 99}},
    };
    for (const Case& c : cases) {
        const int peer = connectTo(QFPIQFrame::endpointPath("DorerSrv"));
        ASSERT_GE(peer, 0);
        ASSERT_EQ(write(peer, c.words.data(), c.words.size() * 4), static_cast<ssize_t>(c.words.size() * 4));
        EXPECT_TRUE(closedByPeer(peer)) << c.what;
        close(peer);
    }
    auto* consumer = shell.make<RecordingConsumer<CDSYSDorerAdminNotificationEvent>>();
    shell.run([&] { admin->requestReload(consumer); });
    EXPECT_TRUE(shell.waitFor([&] { return consumer->seen.size() == 1; }));
}

TEST_F(TransportTest, ImporterLeavesAServerWithAnImpossibleFrameAndComesBack) {
    const int listener = listenAt(QFPIQFrame::endpointPath("DorerSrv"));
    ASSERT_GE(listener, 0);
    ShellSide shell;
    CDSYSDorerAdminProxy* admin = nullptr;
    shell.run([&] { admin = CDSYSDorerAdminProxy::createProxy("DorerSrv", nullptr); });
    shell.atEnd([admin] { admin->freeProxyInstance(nullptr); });
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int peer = accept(listener, nullptr, nullptr);
        ASSERT_GE(peer, 0);
        const uint32_t hostile[] = {kQFPIQMaxFrame + 1, 2};
        ASSERT_EQ(write(peer, hostile, sizeof hostile), static_cast<ssize_t>(sizeof hostile));
        EXPECT_TRUE(closedByPeer(peer)) << attempt;  // the importer reads its import, then leaves
        close(peer);
    }
    shell.run([&] { EXPECT_FALSE(admin->isConnected()); });
    close(listener);
}

}  // namespace
