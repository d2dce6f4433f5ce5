// The resource-manager transport between two real processes.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "hu/devctl.h"
#include "hu/unix_socket.h"
#include "hu_testing.h"
#include "probe_protocol.h"

using hu::testing::Process;
using hu::testing::TempRoot;

namespace {

class ResmgrTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(hu::testing::waitForServer("/dev/probe")); }

    std::string lastText(int fd) {
        char text[PROBE_TEXT_MAX] = {};
        int info = -1;
        EXPECT_EQ(EOK, devctl(fd, PROBE_GET_TEXT, text, sizeof text, &info));
        return text;
    }

    // A raw client socket, for messages the client library would never send.
    int rawConnect() {
        int fd = hu::unix_socket::connectTo(root_.host("/dev/probe"), SOCK_SEQPACKET);
        EXPECT_GE(fd, 0);
        return fd;
    }
    hu::wire::ReplyHeader rawExchange(int fd, const void* msg, size_t size) {
        EXPECT_EQ(static_cast<ssize_t>(size), send(fd, msg, size, 0));
        char buffer[512];
        hu::wire::ReplyHeader header{hu::wire::Kind::Error, -1};
        if (recv(fd, buffer, sizeof buffer, 0) >= static_cast<ssize_t>(sizeof header)) memcpy(&header, buffer, sizeof header);
        return header;
    }

    TempRoot root_;
    Process server_{{hu::testing::binPath("probe_server")}};
};

TEST_F(ResmgrTest, WriteReportsAllBytesAndServerSeesThem) {
    int fd = hu_open("/dev/probe", O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(5, hu_write(fd, "hello", 5));
    EXPECT_EQ("hello", lastText(fd));
    // Larger than the receive buffer: the body is read past it, whole.
    std::string big(10000, 'x');
    EXPECT_EQ(10000, hu_write(fd, big.data(), big.size()));
    EXPECT_EQ(std::string(PROBE_TEXT_MAX - 1, 'x'), lastText(fd));
    hu_close(fd);
}

TEST_F(ResmgrTest, DevctlCarriesDataBothWaysAndTheInformationValue) {
    int fd = hu_open("/dev/probe", O_RDWR);
    ASSERT_GE(fd, 0);
    int32_t value = 41;
    int info = 0;
    EXPECT_EQ(EOK, devctl(fd, PROBE_INCREMENT, &value, sizeof value, &info));
    EXPECT_EQ(42, value);
    EXPECT_EQ(7, info);
    EXPECT_EQ(EOK, devctl(fd, PROBE_CLEAR_OBAND, nullptr, 0, &info));
    EXPECT_EQ(ENOSYS, devctl(fd, __DION(_DCMD_MISC, 99), nullptr, 0, nullptr));
    int flags = -1;
    EXPECT_EQ(EOK, devctl(fd, DCMD_ALL_GETFLAGS, &flags, sizeof flags, nullptr));
    EXPECT_EQ(O_RDWR, flags);
    hu_close(fd);
}

TEST_F(ResmgrTest, DevctlOverTheReceiveLimitIsRefusedAndTheServerGoesOn) {
    int fd = hu_open("/dev/probe", O_RDWR);
    ASSERT_GE(fd, 0);
    char blob[PROBE_MSG_MAX] = {};
    int info = 0;
    EXPECT_EQ(EOK, devctl(fd, PROBE_SET_BLOB, blob, PROBE_MSG_MAX - 16, &info));
    EXPECT_EQ(static_cast<int>(PROBE_MSG_MAX - 16), info);
    EXPECT_EQ(EMSGSIZE, devctl(fd, PROBE_SET_BLOB, blob, PROBE_MSG_MAX - 15, &info));
    EXPECT_EQ(3, hu_write(fd, "ok", 3));
    EXPECT_EQ("ok", lastText(fd));
    hu_close(fd);
}

TEST_F(ResmgrTest, OutOfBandNotificationWakesTheArmedClient) {
    int waiter = hu_open("/dev/probe", O_RDONLY);
    int other = hu_open("/dev/probe", O_RDWR);
    ASSERT_GE(waiter, 0);
    ASSERT_GE(other, 0);
    EXPECT_EQ(0, ionotify(waiter, _NOTIFY_ACTION_POLLARM, _NOTIFY_COND_OBAND, nullptr));
    EXPECT_EQ(0, hu_notify_take(waiter, 0));

    EXPECT_EQ(EOK, devctl(other, PROBE_RAISE_OBAND, nullptr, 0, nullptr));
    EXPECT_EQ(_NOTIFY_COND_OBAND, hu_notify_take(waiter, 10000));

    // Still raised: arming again answers at once and arms nothing.
    EXPECT_EQ(_NOTIFY_COND_OBAND, ionotify(waiter, _NOTIFY_ACTION_POLLARM, _NOTIFY_COND_OBAND, nullptr));
    hu_close(waiter);
    hu_close(other);
}

TEST_F(ResmgrTest, NotificationArrivingDuringARequestIsKept) {
    int fd = hu_open("/dev/probe", O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(0, ionotify(fd, _NOTIFY_ACTION_POLLARM, _NOTIFY_COND_OBAND, nullptr));
    // The event lands before this request's own reply.
    EXPECT_EQ(EOK, devctl(fd, PROBE_RAISE_OBAND, nullptr, 0, nullptr));
    EXPECT_EQ(_NOTIFY_COND_OBAND, hu_notify_take(fd, 0));
    hu_close(fd);
}

TEST_F(ResmgrTest, MalformedMessagesGetAnErrorAndOthersAreStillServed) {
    int raw = rawConnect();
    _io_connect open_msg{_IO_CONNECT, 0, _IO_FLAG_RD | _IO_FLAG_WR, 0, 0};
    _io_write before_open{_IO_WRITE, 0, 0, 0, 0};
    EXPECT_EQ(EBADF, rawExchange(raw, &before_open, sizeof before_open).status);
    EXPECT_EQ(hu::wire::Kind::Reply, rawExchange(raw, &open_msg, sizeof open_msg).kind);

    struct {
        uint16_t type;
    } short_header{_IO_DEVCTL};
    EXPECT_EQ(EBADMSG, rawExchange(raw, &short_header, sizeof short_header).status);

    struct {
        _io_write header;
        char body[4];
    } short_body{{_IO_WRITE, 0, 100, 0, 0}, {'a', 'b', 'c', 'd'}};
    EXPECT_EQ(EBADMSG, rawExchange(raw, &short_body, sizeof short_body).status);

    struct {
        _io_devctl header;
        int32_t value;
    } claims_more{{_IO_DEVCTL, 0, PROBE_INCREMENT, 64, 0}, 1};
    EXPECT_EQ(EBADMSG, rawExchange(raw, &claims_more, sizeof claims_more).status);

    uint16_t unknown = 0x7777;
    EXPECT_EQ(ENOSYS, rawExchange(raw, &unknown, sizeof unknown).status);

    // A client that goes away without waiting for its reply.
    int vanishing = rawConnect();
    send(vanishing, &open_msg, sizeof open_msg, 0);
    close(vanishing);
    close(raw);

    int fd = hu_open("/dev/probe", O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(2, hu_write(fd, "z", 2));
    EXPECT_EQ("z", lastText(fd));
    hu_close(fd);
}

TEST(ResmgrPathTest, OpenWithoutServerFailsAndAStalePathIsTakenOver) {
    TempRoot root;
    EXPECT_EQ(-1, hu_open("/dev/probe", O_RDWR));
    EXPECT_EQ(ENOENT, errno);
    {
        Process first({hu::testing::binPath("probe_server")});
        ASSERT_TRUE(hu::testing::waitForServer("/dev/probe"));
        // A second server may not steal a live path.
        Process second({hu::testing::binPath("probe_server")});
        EXPECT_NE(-1, second.wait());
        EXPECT_TRUE(first.running());
        first.stop(SIGKILL);  // leaves its socket behind
    }
    EXPECT_EQ(-1, hu_open("/dev/probe", O_RDWR));
    Process again({hu::testing::binPath("probe_server")});
    EXPECT_TRUE(hu::testing::waitForServer("/dev/probe"));
}

}  // namespace
