// A small resource manager for the transport tests: "/dev/probe" keeps the last text written,
// answers a few device-control commands and triggers out-of-band notifications on request.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "hu/devctl.h"
#include "hu/resmgr.h"
#include "probe_protocol.h"

namespace {

std::string g_last_text;
iofunc_notify_t g_notify[3];
int g_oband = 0;

int onWrite(resmgr_context_t* ctp, io_write_t* msg, RESMGR_OCB_T* ocb) {
    int status = iofunc_write_verify(ctp, msg, ocb, nullptr);
    if (status != EOK) return status;
    std::string text(msg->i.nbytes, '\0');
    if (resmgr_msgread(ctp, text.data(), text.size(), sizeof msg->i) != static_cast<ssize_t>(text.size())) return EIO;
    g_last_text = text;
    _IO_SET_WRITE_NBYTES(ctp, msg->i.nbytes);
    return EOK;
}

int onDevctl(resmgr_context_t* ctp, io_devctl_t* msg, RESMGR_OCB_T* ocb) {
    int status = iofunc_devctl_default(ctp, msg, ocb);
    if (status != _RESMGR_DEFAULT) return status;
    auto* data = static_cast<char*>(_DEVCTL_DATA(msg->i));
    int nbytes = msg->i.nbytes;
    switch (msg->i.dcmd) {
        case PROBE_GET_TEXT: {
            size_t n = std::min(g_last_text.size(), static_cast<size_t>(PROBE_TEXT_MAX - 1));
            memset(&msg->o, 0, sizeof msg->o);
            auto* reply = static_cast<char*>(_DEVCTL_DATA(msg->o));
            memcpy(reply, g_last_text.data(), n);
            reply[n] = '\0';
            msg->o.ret_val = static_cast<int>(g_last_text.size());
            msg->o.nbytes = static_cast<int>(n + 1);
            return _RESMGR_PTR(ctp, &msg->o, sizeof msg->o + n + 1);
        }
        case PROBE_INCREMENT: {
            int32_t value;
            memcpy(&value, data, sizeof value);
            value += 1;
            memset(&msg->o, 0, sizeof msg->o);
            memcpy(_DEVCTL_DATA(msg->o), &value, sizeof value);
            msg->o.ret_val = 7;
            return _RESMGR_PTR(ctp, &msg->o, sizeof msg->o + sizeof value);
        }
        case PROBE_SET_BLOB:
            // Any payload that fits the receive buffer is accepted; its size comes back.
            memset(&msg->o, 0, sizeof msg->o);
            msg->o.ret_val = nbytes;
            return _RESMGR_PTR(ctp, &msg->o, sizeof msg->o);
        case PROBE_RAISE_OBAND:
            g_oband = _NOTIFY_COND_OBAND;
            iofunc_notify_trigger(g_notify, 1, IOFUNC_NOTIFY_OBAND);
            memset(&msg->o, 0, sizeof msg->o);
            return _RESMGR_PTR(ctp, &msg->o, sizeof msg->o);
        case PROBE_CLEAR_OBAND:
            g_oband = 0;
            memset(&msg->o, 0, sizeof msg->o);
            return _RESMGR_PTR(ctp, &msg->o, sizeof msg->o);
        default:
            return ENOSYS;
    }
}

int onNotify(resmgr_context_t* ctp, io_notify_t* msg, RESMGR_OCB_T* /*ocb*/) {
    return iofunc_notify(ctp, msg, g_notify, g_oband, nullptr, nullptr);
}

volatile sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

}  // namespace

int main() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &term, nullptr);

    dispatch_t* dpp = dispatch_create();
    resmgr_attr_t attr{};
    attr.nparts_max = 1;
    attr.msg_max_size = PROBE_MSG_MAX;
    resmgr_connect_funcs_t connect;
    resmgr_io_funcs_t io;
    iofunc_func_init(_RESMGR_CONNECT_NFUNCS, &connect, _RESMGR_IO_NFUNCS, &io);
    io.write = onWrite;
    io.devctl = onDevctl;
    io.notify = onNotify;
    static iofunc_attr_t handle;
    iofunc_attr_init(&handle, S_IFNAM | 0666, nullptr, nullptr);
    if (resmgr_attach(dpp, &attr, "/dev/probe", _FTYPE_ANY, 0, &connect, &io, &handle) < 0) {
        std::perror("resmgr_attach");
        return 1;
    }
    dispatch_context_t* ctp = dispatch_context_alloc(dpp);
    hu_dispatch_unblock_during_wait(dpp, &term);
    while (!g_stop) {
        if (dispatch_block(ctp) == nullptr) continue;  // EINTR: look at g_stop
        dispatch_handler(ctp);
    }
    dispatch_context_free(ctp);
    dispatch_destroy(dpp);
    return 0;
}
