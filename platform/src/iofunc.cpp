// Default handlers, open-control blocks and notification lists of the iofunc layer.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "dispatch_internal.h"
#include "hu/devctl.h"
#include "registry.h"

struct iofunc_notify_event_t {
    int rcvid;
    int flags;  // the one condition this entry waits for
    int count;
    iofunc_notify_event_t* next;
};

namespace {

// Guards every notification list: the dispatch thread arms, any thread triggers.
std::mutex g_notify_mutex;

void recomputeCount(iofunc_notify_t* list) {
    int lowest = INT_MAX;
    for (auto* e = list->list; e != nullptr; e = e->next) lowest = std::min(lowest, e->count);
    list->cnt.store(lowest);
}

template <typename Drop>
void removeIf(iofunc_notify_t* list, Drop drop) {
    iofunc_notify_event_t** link = &list->list;
    while (*link != nullptr) {
        iofunc_notify_event_t* e = *link;
        if (drop(e)) {
            *link = e->next;
            delete e;
        } else {
            link = &e->next;
        }
    }
    recomputeCount(list);
}

const int kConditionOfList[3] = {_NOTIFY_COND_INPUT, _NOTIFY_COND_OUTPUT, _NOTIFY_COND_OBAND};

}  // namespace

void iofunc_func_init(unsigned nconnect, resmgr_connect_funcs_t* connect, unsigned nio, resmgr_io_funcs_t* io) {
    if (connect != nullptr) {
        *connect = {};
        connect->nfuncs = nconnect;
        connect->open = iofunc_open_default;
    }
    if (io != nullptr) {
        *io = {};
        io->nfuncs = nio;
        io->read = iofunc_read_default;
        io->write = iofunc_write_default;
        io->close_ocb = iofunc_close_ocb_default;
        io->devctl = iofunc_devctl_default;
        io->notify = iofunc_notify_default;
    }
}

void iofunc_attr_init(iofunc_attr_t* attr, mode_t mode, iofunc_attr_t* /*dattr*/, struct _client_info* /*info*/) {
    *attr = {};
    attr->mode = mode;
    attr->mtime = attr->atime = attr->ctime = time(nullptr);
}

int iofunc_ocb_attach(resmgr_context_t* ctp, io_open_t* msg, iofunc_ocb_t* ocb, iofunc_attr_t* attr,
                      const resmgr_io_funcs_t* /*io_funcs*/) {
    hu::dispatch::Connection* conn = hu::dispatch::connectionOf(ctp);
    if (conn == nullptr || attr == nullptr) return EINVAL;
    if (ocb == nullptr) {
        iofunc_funcs_t* funcs = attr->mount != nullptr ? attr->mount->funcs : nullptr;
        ocb = funcs != nullptr && funcs->ocb_calloc != nullptr
                  ? funcs->ocb_calloc(ctp, attr)
                  : static_cast<iofunc_ocb_t*>(calloc(1, sizeof(iofunc_ocb_t)));
        if (ocb == nullptr) return ENOMEM;
    }
    ocb->attr = attr;
    ocb->ioflag = msg->connect.ioflag;
    ocb->offset = 0;
    attr->count++;
    if (ocb->ioflag & _IO_FLAG_RD) attr->rcount++;
    if (ocb->ioflag & _IO_FLAG_WR) attr->wcount++;
    conn->ocb = ocb;
    return EOK;
}

int iofunc_open_default(resmgr_context_t* ctp, io_open_t* msg, iofunc_attr_t* attr, void* /*extra*/) {
    return iofunc_ocb_attach(ctp, msg, nullptr, attr, nullptr);
}

int iofunc_close_ocb_default(resmgr_context_t* /*ctp*/, void* /*reserved*/, iofunc_ocb_t* ocb) {
    iofunc_attr_t* attr = ocb->attr;
    if (attr != nullptr) {
        attr->count--;
        if (ocb->ioflag & _IO_FLAG_RD) attr->rcount--;
        if (ocb->ioflag & _IO_FLAG_WR) attr->wcount--;
    }
    iofunc_funcs_t* funcs = attr != nullptr && attr->mount != nullptr ? attr->mount->funcs : nullptr;
    if (funcs != nullptr && funcs->ocb_free != nullptr) {
        funcs->ocb_free(ocb);
    } else {
        free(ocb);
    }
    return EOK;
}

int iofunc_read_verify(resmgr_context_t* /*ctp*/, io_read_t* /*msg*/, iofunc_ocb_t* ocb, int* nonblock) {
    if (nonblock != nullptr) *nonblock = 0;
    return (ocb->ioflag & _IO_FLAG_RD) ? EOK : EBADF;
}

int iofunc_write_verify(resmgr_context_t* /*ctp*/, io_write_t* /*msg*/, iofunc_ocb_t* ocb, int* nonblock) {
    if (nonblock != nullptr) *nonblock = 0;
    return (ocb->ioflag & _IO_FLAG_WR) ? EOK : EBADF;
}

int iofunc_read_default(resmgr_context_t* ctp, io_read_t* msg, iofunc_ocb_t* ocb) {
    int status = iofunc_read_verify(ctp, msg, ocb, nullptr);
    if (status != EOK) return status;
    _IO_SET_READ_NBYTES(ctp, 0);
    return EOK;
}

int iofunc_write_default(resmgr_context_t* ctp, io_write_t* msg, iofunc_ocb_t* ocb) {
    int status = iofunc_write_verify(ctp, msg, ocb, nullptr);
    return status != EOK ? status : ENOSYS;
}

int iofunc_devctl_default(resmgr_context_t* ctp, io_devctl_t* msg, iofunc_ocb_t* ocb) {
    switch (msg->i.dcmd) {
        case DCMD_ALL_GETFLAGS: {
            int flags = ocb->ioflag - 1;  // back to the open(2) flags
            memset(&msg->o, 0, sizeof msg->o);
            msg->o.nbytes = sizeof flags;
            memcpy(_DEVCTL_DATA(msg->o), &flags, sizeof flags);
            return _RESMGR_PTR(ctp, &msg->o, sizeof msg->o + sizeof flags);
        }
        case DCMD_ALL_SETFLAGS:
            return EOK;
        default:
            return _RESMGR_DEFAULT;
    }
}

int iofunc_notify_default(resmgr_context_t* /*ctp*/, io_notify_t* /*msg*/, iofunc_ocb_t* /*ocb*/) { return ENOSYS; }

int iofunc_notify(resmgr_context_t* ctp, io_notify_t* msg, iofunc_notify_t* nop, int trig, const int* notifycounts,
                  int* armed) {
    int wanted = msg->i.flags & _NOTIFY_COND_MASK;
    int action = msg->i.action;
    int met = wanted & trig;
    if (armed != nullptr) *armed = 0;
    if (action == _NOTIFY_ACTION_TRANARM || (action == _NOTIFY_ACTION_POLLARM && met == 0)) {
        std::lock_guard<std::mutex> lock(g_notify_mutex);
        for (int index = 0; index < 3; ++index) {
            if ((wanted & kConditionOfList[index]) == 0) continue;
            iofunc_notify_t* list = &nop[index];
            // Re-arming replaces the client's earlier entry.
            removeIf(list, [ctp](const iofunc_notify_event_t* e) { return e->rcvid == ctp->rcvid; });
            int count = notifycounts != nullptr && notifycounts[index] > 0 ? notifycounts[index] : 1;
            list->list = new iofunc_notify_event_t{ctp->rcvid, kConditionOfList[index], count, list->list};
            recomputeCount(list);
        }
        if (armed != nullptr) *armed = 1;
    }
    msg->o.zero = 0;
    msg->o.flags = static_cast<uint32_t>(met);
    return _RESMGR_PTR(ctp, &msg->o, sizeof msg->o);
}

void iofunc_notify_trigger(iofunc_notify_t* nop, int cnt, int index) {
    if (index < 0 || index > 2) return;
    std::lock_guard<std::mutex> lock(g_notify_mutex);
    // Every armed client hears once; a client that is gone is dropped with the rest.
    removeIf(&nop[index], [cnt](const iofunc_notify_event_t* e) {
        if (e->count > cnt) return false;
        hu::wire::ReplyHeader event{hu::wire::Kind::Notify, e->flags};
        hu::registry::sendToConnection(e->rcvid, &event, sizeof event, nullptr, 0);
        return true;
    });
}

void iofunc_notify_remove(resmgr_context_t* ctp, iofunc_notify_t* nop) {
    std::lock_guard<std::mutex> lock(g_notify_mutex);
    for (int index = 0; index < 3; ++index) {
        removeIf(&nop[index], [ctp](const iofunc_notify_event_t* e) { return e->rcvid == ctp->rcvid; });
    }
}
