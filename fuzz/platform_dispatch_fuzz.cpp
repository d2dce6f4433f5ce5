// The resource-manager dispatch over arbitrary client messages. A probe server lives in this
// process; each input goes as one message over an open connection. The server must answer or
// refuse it with exactly one reply, its handlers must never be handed more than the client
// sent (or than the receive buffer holds, for what they read in place), and the connection
// must keep serving a well-formed request afterwards.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "fuzz_root.h"
#include "hu/devctl.h"
#include "hu/path.h"
#include "hu/resmgr.h"
#include "hu/unix_socket.h"

namespace {

constexpr unsigned kMsgMaxSize = 256;  // small, so that messages larger than the buffer are common
constexpr size_t kReplyMax = 64 * 1024;

dispatch_t* g_dpp;
dispatch_context_t* g_ctp;
iofunc_notify_t g_notify[3];
int g_client = -1;
volatile unsigned g_sink;  // keeps the handlers' reads of the payload

// Every byte a handler is told it may read, so that ASan sees a read past what arrived.
void touch(const void* data, size_t size) {
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) sum += static_cast<const unsigned char*>(data)[i];
    g_sink = sum;
}

void checkSizes(const resmgr_context_t* ctp) {
    FUZZ_CHECK(ctp->info.msglen >= 0 && ctp->info.msglen <= ctp->info.srclen);
    FUZZ_CHECK(static_cast<unsigned>(ctp->info.msglen) <= kMsgMaxSize);
    FUZZ_CHECK(ctp->info.msglen == std::min<int>(ctp->info.srclen, kMsgMaxSize));
}

int onWrite(resmgr_context_t* ctp, io_write_t* msg, RESMGR_OCB_T* ocb) {
    checkSizes(ctp);
    int status = iofunc_write_verify(ctp, msg, ocb, nullptr);
    if (status != EOK) return status;
    size_t nbytes = msg->i.nbytes;
    FUZZ_CHECK(sizeof msg->i + nbytes <= static_cast<size_t>(ctp->info.srclen));
    std::vector<char> body(nbytes + 1);
    FUZZ_CHECK(resmgr_msgread(ctp, body.data(), nbytes, sizeof msg->i) == static_cast<ssize_t>(nbytes));
    // Asking for more gives no more than the client sent.
    size_t sent = static_cast<size_t>(ctp->info.srclen) - sizeof msg->i;
    FUZZ_CHECK(resmgr_msgread(ctp, body.data(), nbytes + 1, sizeof msg->i) ==
               static_cast<ssize_t>(std::min(nbytes + 1, sent)));
    touch(body.data(), nbytes);
    _IO_SET_WRITE_NBYTES(ctp, nbytes);
    return EOK;
}

int onDevctl(resmgr_context_t* ctp, io_devctl_t* msg, RESMGR_OCB_T* ocb) {
    checkSizes(ctp);
    int status = iofunc_devctl_default(ctp, msg, ocb);
    if (status != _RESMGR_DEFAULT) return status;
    FUZZ_CHECK(msg->i.nbytes >= 0);
    size_t nbytes = static_cast<size_t>(msg->i.nbytes);
    if (get_device_direction(msg->i.dcmd) & DEVDIR_TO) {
        FUZZ_CHECK(sizeof msg->i + nbytes <= static_cast<size_t>(ctp->info.msglen));
        touch(_DEVCTL_DATA(msg->i), nbytes);
    }
    size_t reply = 0;
    if (get_device_direction(msg->i.dcmd) & DEVDIR_FROM) reply = std::min(nbytes, kMsgMaxSize - sizeof msg->o);
    memset(&msg->o, 0, sizeof msg->o);
    msg->o.nbytes = static_cast<int32_t>(reply);
    return _RESMGR_PTR(ctp, &msg->o, sizeof msg->o + reply);
}

int onNotify(resmgr_context_t* ctp, io_notify_t* msg, RESMGR_OCB_T* /*ocb*/) {
    checkSizes(ctp);
    return iofunc_notify(ctp, msg, g_notify, 0, nullptr, nullptr);
}

// A connection given up (after an empty message) leaves no armed notification behind.
int onClose(resmgr_context_t* ctp, void* reserved, RESMGR_OCB_T* ocb) {
    iofunc_notify_remove(ctp, g_notify);
    return iofunc_close_ocb_default(ctp, reserved, ocb);
}

int onRead(resmgr_context_t* ctp, io_read_t* msg, RESMGR_OCB_T* ocb) {
    checkSizes(ctp);
    return iofunc_read_default(ctp, msg, ocb);
}

void serveOne() {
    FUZZ_CHECK(dispatch_block(g_ctp) != nullptr);
    FUZZ_CHECK(dispatch_handler(g_ctp) == 0);
}

// The next frame from the server, or -1 when none is waiting; 0 when the server hung up.
ssize_t takeFrame(std::vector<char>* frame) {
    frame->resize(kReplyMax);
    ssize_t got;
    do {
        got = recv(g_client, frame->data(), frame->size(), MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got < 0) FUZZ_CHECK(errno == EAGAIN || errno == EWOULDBLOCK);
    frame->resize(got > 0 ? static_cast<size_t>(got) : 0);
    return got;
}

hu::wire::ReplyHeader headerOf(const std::vector<char>& frame) {
    FUZZ_CHECK(frame.size() >= sizeof(hu::wire::ReplyHeader));
    hu::wire::ReplyHeader header;
    memcpy(&header, frame.data(), sizeof header);
    return header;
}

void sendRaw(const void* data, size_t size) {
    ssize_t sent;
    do {
        sent = send(g_client, data, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    FUZZ_CHECK(sent == static_cast<ssize_t>(size));
}

// Connects and opens for reading and writing, as every client does.
void openClient() {
    if (g_client >= 0) close(g_client);
    g_client = hu::unix_socket::connectTo(hu::resolve("/dev/fuzzprobe"), SOCK_SEQPACKET);
    FUZZ_CHECK(g_client >= 0);
    _io_connect open{_IO_CONNECT, 0, O_RDWR + 1, 0, 0};
    sendRaw(&open, sizeof open);
    serveOne();
    std::vector<char> frame;
    FUZZ_CHECK(takeFrame(&frame) > 0);
    FUZZ_CHECK(headerOf(frame).kind == hu::wire::Kind::Reply);
}

// A well-formed request still gets its proper answer.
void checkStillServing() {
    struct {
        _io_devctl header;
        int flags;
    } request{{_IO_DEVCTL, 0, DCMD_ALL_GETFLAGS, sizeof(int), 0}, 0};
    sendRaw(&request, sizeof request);
    serveOne();
    std::vector<char> frame;
    FUZZ_CHECK(takeFrame(&frame) > 0);
    FUZZ_CHECK(headerOf(frame).kind == hu::wire::Kind::Reply);
    int flags;
    FUZZ_CHECK(frame.size() == sizeof(hu::wire::ReplyHeader) + sizeof(_io_devctl_reply) + sizeof flags);
    memcpy(&flags, frame.data() + sizeof(hu::wire::ReplyHeader) + sizeof(_io_devctl_reply), sizeof flags);
    FUZZ_CHECK(flags == O_RDWR);
    FUZZ_CHECK(takeFrame(&frame) < 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    hu::fuzz::usePrivateRoot();
    g_dpp = dispatch_create();
    FUZZ_CHECK(g_dpp != nullptr);
    static resmgr_connect_funcs_t connect;
    static resmgr_io_funcs_t io;
    static iofunc_attr_t handle;
    iofunc_func_init(_RESMGR_CONNECT_NFUNCS, &connect, _RESMGR_IO_NFUNCS, &io);
    io.read = onRead;
    io.write = onWrite;
    io.devctl = onDevctl;
    io.notify = onNotify;
    io.close_ocb = onClose;
    iofunc_attr_init(&handle, S_IFNAM | 0666, nullptr, nullptr);
    resmgr_attr_t attr{};
    attr.nparts_max = 1;
    attr.msg_max_size = kMsgMaxSize;
    FUZZ_CHECK(resmgr_attach(g_dpp, &attr, "/dev/fuzzprobe", _FTYPE_ANY, 0, &connect, &io, &handle) > 0);
    g_ctp = dispatch_context_alloc(g_dpp);
    FUZZ_CHECK(g_ctp != nullptr);
    openClient();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sendRaw(size > 0 ? data : reinterpret_cast<const uint8_t*>(""), size);
    serveOne();
    std::vector<char> frame;
    ssize_t got = takeFrame(&frame);
    if (size == 0) {
        // An empty datagram cannot be told from the client hanging up: the server lets go of
        // the connection and stays up for everybody else.
        FUZZ_CHECK(got == 0);
        openClient();
    } else {
        FUZZ_CHECK(got > 0);
        hu::wire::ReplyHeader header = headerOf(frame);
        if (header.kind == hu::wire::Kind::Error) {
            FUZZ_CHECK(frame.size() == sizeof header && header.status > 0);
        } else {
            FUZZ_CHECK(header.kind == hu::wire::Kind::Reply);
            FUZZ_CHECK(frame.size() <= sizeof header + kMsgMaxSize);
        }
        FUZZ_CHECK(takeFrame(&frame) < 0);  // one message, one answer
    }
    checkStillServing();
    return 0;
}
