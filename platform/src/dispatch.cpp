// Dispatch handle, path attachment, the receive loop and replies.
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "dispatch_internal.h"
#include "hu/devctl.h"
#include "hu/path.h"
#include "hu/unix_socket.h"
#include "registry.h"

using hu::dispatch::Attachment;
using hu::dispatch::Connection;
using hu::dispatch::ContextState;
using hu::dispatch::Received;

namespace {

constexpr unsigned kDefaultMsgMaxSize = 2048;
constexpr size_t kReplyRoom = sizeof(resmgr_iomsgs_t) + sizeof(_io_devctl_reply) + 16;

struct PulseBinding {
    int code;
    int (*func)(message_context_t*, int, unsigned, void*);
    void* handle;
};

}  // namespace

struct dispatch_t {
    int chid = -1;
    bool owns_channel = false;
    int next_attach_id = 1;
    std::vector<std::unique_ptr<Attachment>> attachments;
    std::map<int, std::unique_ptr<Connection>> connections;  // by rcvid
    std::vector<PulseBinding> pulses;
    size_t poll_rotation = 0;
    bool wait_mask_set = false;
    sigset_t wait_mask;  // the thread's mask while waiting
};

namespace hu::dispatch {
Connection* connectionOf(resmgr_context_t* ctp) {
    return static_cast<ContextState*>(ctp->internal)->connection;
}
}  // namespace hu::dispatch

namespace {

// True when a live server answers at host_path.
bool someoneListens(const std::string& host_path) {
    int probe = hu::unix_socket::connectTo(host_path, SOCK_SEQPACKET);
    if (probe < 0) return false;
    close(probe);
    return true;
}

unsigned msgMaxSize(const dispatch_t* dpp) {
    unsigned size = 0;
    for (const auto& a : dpp->attachments) size = std::max(size, a->attr.msg_max_size);
    return size == 0 ? kDefaultMsgMaxSize : size;
}

void closeConnection(dispatch_t* dpp, Connection* conn) {
    hu::registry::removeConnection(conn->rcvid);
    close(conn->fd);
    dpp->connections.erase(conn->rcvid);
}

// Takes one whole message from conn into the context; Disconnect when the client is gone.
Received receiveMessage(resmgr_context_t* ctp, Connection* conn) {
    auto* state = static_cast<ContextState*>(ctp->internal);
    ssize_t length;
    char probe;
    do {
        length = recv(conn->fd, &probe, 1, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
    } while (length < 0 && errno == EINTR);
    if (length < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Received::Nothing;
    if (length <= 0) return Received::Disconnect;

    state->whole_message.resize(static_cast<size_t>(length));
    do {
        length = recv(conn->fd, state->whole_message.data(), state->whole_message.size(), 0);
    } while (length < 0 && errno == EINTR);
    if (length <= 0) return Received::Disconnect;

    // Handlers see at most msg_max_size bytes in place, the rest of the buffer zeroed.
    size_t in_place = std::min(state->whole_message.size(), state->receive_limit);
    std::memcpy(state->receive_buffer.data(), state->whole_message.data(), in_place);
    std::memset(state->receive_buffer.data() + in_place, 0, state->receive_buffer.size() - in_place);
    ctp->info.msglen = static_cast<int>(in_place);
    ctp->info.srclen = static_cast<int>(state->whole_message.size());
    ctp->info.dstmsglen = 0;
    ctp->rcvid = conn->rcvid;
    ctp->id = conn->attachment->id;
    ucred cred{};
    socklen_t cred_len = sizeof cred;
    ctp->info.pid = getsockopt(conn->fd, SOL_SOCKET, SO_PEERCRED, &cred, &cred_len) == 0 ? cred.pid : 0;
    return Received::Message;
}

void acceptClient(dispatch_t* dpp, Attachment* attachment) {
    int fd = accept4(attachment->listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    auto conn = std::make_unique<Connection>();
    conn->fd = fd;
    conn->attachment = attachment;
    conn->rcvid = hu::registry::addConnection(fd);
    dpp->connections[conn->rcvid] = std::move(conn);
}

}  // namespace

dispatch_t* _dispatch_create(int chid, unsigned /*flags*/) {
    if (hu::registry::channelReceiveFd(chid) < 0) {
        errno = EINVAL;
        return nullptr;
    }
    auto* dpp = new dispatch_t;
    dpp->chid = chid;
    return dpp;
}

dispatch_t* dispatch_create(void) {
    int chid = ChannelCreate(0);
    if (chid < 0) return nullptr;
    dispatch_t* dpp = _dispatch_create(chid, 0);
    if (dpp == nullptr) {
        ChannelDestroy(chid);
        return nullptr;
    }
    dpp->owns_channel = true;
    return dpp;
}

int dispatch_destroy(dispatch_t* dpp) {
    if (dpp == nullptr) {
        errno = EINVAL;
        return -1;
    }
    while (!dpp->connections.empty()) closeConnection(dpp, dpp->connections.begin()->second.get());
    while (!dpp->attachments.empty()) resmgr_detach(dpp, dpp->attachments.front()->id, 0);
    if (dpp->owns_channel) ChannelDestroy(dpp->chid);
    delete dpp;
    return 0;
}

int resmgr_attach(dispatch_t* dpp, resmgr_attr_t* attr, const char* path, enum _file_type /*file_type*/,
                  unsigned /*flags*/, const resmgr_connect_funcs_t* connect_funcs, const resmgr_io_funcs_t* io_funcs,
                  RESMGR_HANDLE_T* handle) {
    if (dpp == nullptr || path == nullptr || connect_funcs == nullptr || io_funcs == nullptr) {
        errno = EINVAL;
        return -1;
    }
    auto attachment = std::make_unique<Attachment>();
    attachment->host_path = hu::resolveForCreate(path);
    struct stat st {};
    if (lstat(attachment->host_path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) &&
        someoneListens(attachment->host_path)) {
        errno = EBUSY;
        return -1;
    }
    // Whatever else is there was left behind by a server that died.
    int fd = hu::unix_socket::bindAt(attachment->host_path, SOCK_SEQPACKET, 64);
    if (fd < 0) return -1;
    chmod(attachment->host_path.c_str(), 0666);
    attachment->listen_fd = fd;
    if (attr != nullptr) attachment->attr = *attr;
    attachment->connect = connect_funcs;
    attachment->io = io_funcs;
    attachment->handle = handle;
    attachment->id = dpp->next_attach_id++;
    int id = attachment->id;
    dpp->attachments.push_back(std::move(attachment));
    return id;
}

int resmgr_detach(dispatch_t* dpp, int id, unsigned /*flags*/) {
    auto it = std::find_if(dpp->attachments.begin(), dpp->attachments.end(),
                           [id](const auto& a) { return a->id == id; });
    if (it == dpp->attachments.end()) {
        errno = EINVAL;
        return -1;
    }
    for (auto c = dpp->connections.begin(); c != dpp->connections.end();) {
        Connection* conn = (c++)->second.get();
        if (conn->attachment == it->get()) closeConnection(dpp, conn);
    }
    close((*it)->listen_fd);
    unlink((*it)->host_path.c_str());
    dpp->attachments.erase(it);
    return 0;
}

dispatch_context_t* dispatch_context_alloc(dispatch_t* dpp) {
    if (dpp == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    auto* state = new ContextState;
    // A small msg_max_size must still leave room for the replies the default handlers build
    // in place (a devctl reply header and its data).
    state->receive_limit = msgMaxSize(dpp);
    state->receive_buffer.assign(state->receive_limit + kReplyRoom, 0);
    auto* ctp = new resmgr_context_t{};
    ctp->dpp = dpp;
    ctp->internal = state;
    ctp->msg = reinterpret_cast<resmgr_iomsgs_t*>(state->receive_buffer.data());
    return ctp;
}

void dispatch_context_free(dispatch_context_t* ctp) {
    if (ctp == nullptr) return;
    delete static_cast<ContextState*>(ctp->internal);
    delete ctp;
}

dispatch_context_t* dispatch_block(dispatch_context_t* ctp) {
    dispatch_t* dpp = ctp->dpp;
    auto* state = static_cast<ContextState*>(ctp->internal);
    state->what = Received::Nothing;
    state->connection = nullptr;
    for (;;) {
        // Poll set: the channel, every attached path, every client; rotated for fairness.
        std::vector<pollfd> fds;
        std::vector<Attachment*> listeners;
        std::vector<Connection*> clients;
        fds.push_back({hu::registry::channelReceiveFd(dpp->chid), POLLIN, 0});
        for (auto& a : dpp->attachments) {
            fds.push_back({a->listen_fd, POLLIN, 0});
            listeners.push_back(a.get());
        }
        for (auto& c : dpp->connections) clients.push_back(c.second.get());
        if (!clients.empty()) {
            std::rotate(clients.begin(), clients.begin() + (dpp->poll_rotation++ % clients.size()), clients.end());
        }
        for (Connection* c : clients) fds.push_back({c->fd, POLLIN, 0});

        int ready = dpp->wait_mask_set ? ppoll(fds.data(), fds.size(), nullptr, &dpp->wait_mask)
                                       : poll(fds.data(), fds.size(), -1);
        if (ready < 0) return nullptr;  // errno from the wait (EINTR on a signal)

        if (fds[0].revents & POLLIN) {
            hu::registry::Pulse pulse{};
            ssize_t got = recv(fds[0].fd, &pulse, sizeof pulse, MSG_DONTWAIT);
            if (got == static_cast<ssize_t>(sizeof pulse)) {
                state->what = Received::Pulse;
                state->pulse_code = pulse.code;
                state->pulse_value = pulse.value;
                ctp->rcvid = 0;
                return ctp;
            }
        }
        for (size_t i = 0; i < clients.size(); ++i) {
            if (fds[1 + listeners.size() + i].revents == 0) continue;
            Received what = receiveMessage(ctp, clients[i]);
            if (what == Received::Nothing) continue;
            state->what = what;
            state->connection = clients[i];
            ctp->rcvid = clients[i]->rcvid;
            return ctp;
        }
        for (size_t i = 0; i < listeners.size(); ++i) {
            if (fds[1 + i].revents & POLLIN) acceptClient(dpp, listeners[i]);
        }
    }
}

int hu_dispatch_unblock_during_wait(dispatch_t* dpp, const sigset_t* signals) {
    if (dpp == nullptr || signals == nullptr) {
        errno = EINVAL;
        return -1;
    }
    pthread_sigmask(SIG_SETMASK, nullptr, &dpp->wait_mask);
    for (int sig = 1; sig < NSIG; ++sig) {
        if (sigismember(signals, sig) == 1) sigdelset(&dpp->wait_mask, sig);
    }
    dpp->wait_mask_set = true;
    return 0;
}

int MsgReplyv(int rcvid, long status, const iov_t* iov, int parts) {
    hu::wire::ReplyHeader header{hu::wire::Kind::Reply, static_cast<int32_t>(status)};
    return hu::registry::sendToConnection(rcvid, &header, sizeof header, iov, parts) ? 0 : -1;
}

int MsgReply(int rcvid, long status, const void* msg, size_t size) {
    iov_t part;
    SETIOV(&part, msg, size);
    return MsgReplyv(rcvid, status, &part, size > 0 ? 1 : 0);
}

int MsgError(int rcvid, int err) {
    hu::wire::ReplyHeader header{hu::wire::Kind::Error, err};
    return hu::registry::sendToConnection(rcvid, &header, sizeof header, nullptr, 0) ? 0 : -1;
}

ssize_t resmgr_msgread(resmgr_context_t* ctp, void* msg, size_t nbytes, size_t offset) {
    auto* state = static_cast<ContextState*>(ctp->internal);
    if (state->what != Received::Message) {
        errno = ESRCH;
        return -1;
    }
    const std::vector<char>& whole = state->whole_message;
    if (offset >= whole.size()) return 0;
    size_t n = std::min(nbytes, whole.size() - offset);
    std::memcpy(msg, whole.data() + offset, n);
    return static_cast<ssize_t>(n);
}

int pulse_attach(dispatch_t* dpp, int flags, int code, int (*func)(message_context_t*, int, unsigned, void*),
                 void* handle) {
    auto taken = [dpp](int c) {
        return std::any_of(dpp->pulses.begin(), dpp->pulses.end(), [c](const PulseBinding& p) { return p.code == c; });
    };
    if (flags & MSG_FLAG_ALLOC_PULSE) {
        code = _PULSE_CODE_MINAVAIL;
        while (code <= _PULSE_CODE_MAXAVAIL && taken(code)) ++code;
    }
    if (code < _PULSE_CODE_MINAVAIL || code > _PULSE_CODE_MAXAVAIL || taken(code) || func == nullptr) {
        errno = (flags & MSG_FLAG_ALLOC_PULSE) ? EAGAIN : EINVAL;
        return -1;
    }
    dpp->pulses.push_back({code, func, handle});
    return code;
}

int pulse_detach(dispatch_t* dpp, int code, int /*flags*/) {
    auto it = std::find_if(dpp->pulses.begin(), dpp->pulses.end(), [code](const PulseBinding& p) { return p.code == code; });
    if (it == dpp->pulses.end()) {
        errno = EINVAL;
        return -1;
    }
    dpp->pulses.erase(it);
    return 0;
}

int message_connect(dispatch_t* dpp, int /*flags*/) { return ConnectAttach(0, 0, dpp->chid, _NTO_SIDE_CHANNEL, 0); }

namespace {

// Minimum sizes of the fixed part of each message.
size_t headerSize(uint16_t type) {
    switch (type) {
        case _IO_CONNECT: return sizeof(_io_connect);
        case _IO_READ: return sizeof(_io_read);
        case _IO_WRITE: return sizeof(_io_write);
        case _IO_DEVCTL: return sizeof(_io_devctl);
        case _IO_NOTIFY: return sizeof(_io_notify);
        default: return sizeof(uint16_t);
    }
}

// Checks that keep a handler inside what the client really sent; EOK or the refusal.
int validate(const resmgr_context_t* ctp, uint16_t type, const Connection* conn) {
    size_t srclen = static_cast<size_t>(ctp->info.srclen);
    if (srclen < sizeof(uint16_t) || srclen < headerSize(type)) return EBADMSG;
    if ((conn->ocb == nullptr) != (type == _IO_CONNECT)) return EBADF;
    if (type == _IO_WRITE && ctp->msg->write.i.nbytes > srclen - sizeof(_io_write)) return EBADMSG;
    if (type == _IO_DEVCTL) {
        const _io_devctl& d = ctp->msg->devctl.i;
        // Devctl payloads are read in place: the whole message must fit the receive buffer.
        if (ctp->info.msglen < ctp->info.srclen) return EMSGSIZE;
        if (d.nbytes < 0) return EINVAL;
        if ((get_device_direction(d.dcmd) & DEVDIR_TO) && static_cast<size_t>(d.nbytes) > srclen - sizeof(_io_devctl)) {
            return EBADMSG;
        }
    }
    return EOK;
}

int runHandler(resmgr_context_t* ctp, Connection* conn, uint16_t type) {
    const resmgr_io_funcs_t* io = conn->attachment->io;
    iofunc_ocb_t* ocb = conn->ocb;
    resmgr_iomsgs_t* msg = ctp->msg;
    int result = _RESMGR_DEFAULT;
    switch (type) {
        case _IO_CONNECT: {
            auto* open = conn->attachment->connect->open;
            result = open != nullptr ? open(ctp, &msg->open, conn->attachment->handle, nullptr)
                                     : iofunc_open_default(ctp, &msg->open, conn->attachment->handle, nullptr);
            if (result == _RESMGR_DEFAULT) result = iofunc_open_default(ctp, &msg->open, conn->attachment->handle, nullptr);
            break;
        }
        case _IO_READ:
            if (io->read != nullptr) result = io->read(ctp, &msg->read, ocb);
            if (result == _RESMGR_DEFAULT) result = iofunc_read_default(ctp, &msg->read, ocb);
            break;
        case _IO_WRITE:
            if (io->write != nullptr) result = io->write(ctp, &msg->write, ocb);
            if (result == _RESMGR_DEFAULT) result = iofunc_write_default(ctp, &msg->write, ocb);
            break;
        case _IO_DEVCTL:
            if (io->devctl != nullptr) result = io->devctl(ctp, &msg->devctl, ocb);
            if (result == _RESMGR_DEFAULT) result = iofunc_devctl_default(ctp, &msg->devctl, ocb);
            if (result == _RESMGR_DEFAULT) result = ENOSYS;
            break;
        case _IO_NOTIFY:
            if (io->notify != nullptr) result = io->notify(ctp, &msg->notify, ocb);
            if (result == _RESMGR_DEFAULT) result = iofunc_notify_default(ctp, &msg->notify, ocb);
            break;
        default:
            result = ENOSYS;
    }
    return result == _RESMGR_DEFAULT ? ENOSYS : result;
}

void reply(resmgr_context_t* ctp, int result) {
    if (result == _RESMGR_NOREPLY) return;
    if (result < 0) {
        MsgReplyv(ctp->rcvid, ctp->status, ctp->iov, std::min(-result, HU_RESMGR_IOV_MAX));
    } else if (result == EOK) {
        MsgReply(ctp->rcvid, ctp->status, nullptr, 0);
    } else {
        MsgError(ctp->rcvid, result);
    }
}

}  // namespace

int dispatch_handler(dispatch_context_t* ctp) {
    auto* state = static_cast<ContextState*>(ctp->internal);
    dispatch_t* dpp = ctp->dpp;
    switch (state->what) {
        case Received::Nothing:
            errno = EINVAL;
            return -1;
        case Received::Pulse: {
            for (const PulseBinding& p : dpp->pulses) {
                if (p.code == state->pulse_code) p.func(ctp, p.code, 0, p.handle);
            }
            break;
        }
        case Received::Disconnect: {
            Connection* conn = state->connection;
            if (conn->ocb != nullptr) {
                auto* close_ocb = conn->attachment->io->close_ocb;
                int r = close_ocb != nullptr ? close_ocb(ctp, nullptr, conn->ocb) : _RESMGR_DEFAULT;
                if (r == _RESMGR_DEFAULT) iofunc_close_ocb_default(ctp, nullptr, conn->ocb);
                conn->ocb = nullptr;
            }
            closeConnection(dpp, conn);
            break;
        }
        case Received::Message: {
            Connection* conn = state->connection;
            uint16_t type = ctp->msg->type;
            ctp->status = 0;
            ctp->offset = 0;
            ctp->size = 0;
            int refusal = validate(ctp, type, conn);
            int result = refusal != EOK ? refusal : runHandler(ctp, conn, type);
            reply(ctp, result);
            // A refused open leaves nothing to talk to.
            if (type == _IO_CONNECT && conn->ocb == nullptr) closeConnection(dpp, conn);
            break;
        }
    }
    state->what = Received::Nothing;
    state->connection = nullptr;
    return 0;
}
