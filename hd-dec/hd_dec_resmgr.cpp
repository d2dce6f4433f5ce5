// The path "/dev/hd-dec-mgr": channel, dispatch, attachment, open-control blocks, notify.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "hd_dec.h"
#include "hddec_api.h"
#include "hddec_log.h"

namespace {

iofunc_ocb_t* ocb_calloc(resmgr_context_t* /*ctp*/, iofunc_attr_t* /*attr*/) {
    auto* ocb = static_cast<iofunc_ocb_t*>(calloc(1, sizeof(iofunc_ocb_t)));
    if (ocb == nullptr) hddec_log("%s: Unable to allocate ocb (%s)", "ocb_calloc", strerror(errno));
    return ocb;
}

void ocb_free(iofunc_ocb_t* ocb) { free(ocb); }

int io_notify(resmgr_context_t* ctp, io_notify_t* msg, RESMGR_OCB_T* /*ocb*/) {
    return iofunc_notify(ctp, msg, g_hd->notify, g_hd->notify_cond.load(), nullptr, nullptr);
}

}  // namespace

int resmgr_init(HdDecProcess* hd) {
    hd->attach_id = -1;
    hd->chid = ChannelCreate(_NTO_CHF_DISCONNECT);
    if (hd->chid < 0) {
        int err = errno;
        hddec_log("%s:  ChannelCreate failed (%s)", "resmgr_init", strerror(err));
        return err;
    }
    hd->dpp = _dispatch_create(hd->chid, 0);
    if (hd->dpp == nullptr) {
        int err = errno;
        hddec_log("%s:  _dispatch_create failed (%s)", "resmgr_init", strerror(err));
        ChannelDestroy(hd->chid);
        return err;
    }

    iofunc_func_init(_RESMGR_CONNECT_NFUNCS, &hd->connect_funcs, _RESMGR_IO_NFUNCS, &hd->io_funcs);
    hd->connect_funcs.open = iofunc_open_default;
    hd->io_funcs.notify = io_notify;
    hd->io_funcs.devctl = io_devctl;

    iofunc_attr_init(&hd->attr, S_IFNAM | 0666, nullptr, nullptr);
    hd->ocb_funcs = {_IOFUNC_NFUNCS, ocb_calloc, ocb_free};
    hd->mount.funcs = &hd->ocb_funcs;
    hd->attr.mount = &hd->mount;
    for (auto& list : hd->notify) list.cnt = INT_MAX;

    hd->attach_id = resmgr_attach(hd->dpp, &hd->rattr, HDDEC_DEVICE_PATH, _FTYPE_ANY, 0, &hd->connect_funcs,
                                  &hd->io_funcs, &hd->attr);
    if (hd->attach_id == -1) {
        int err = errno;
        hddec_log("%s: resmgr_attach failed (%s)", "resmgr_init", strerror(err));
        dispatch_destroy(hd->dpp);
        hd->dpp = nullptr;
        return err;
    }
    hd->ctp = dispatch_context_alloc(hd->dpp);
    if (hd->ctp == nullptr) {
        int err = errno;
        hddec_log("%s: dispatch_context_alloc failed (%s)", "resmgr_init", strerror(err));
        return err;
    }
    return 0;
}

void resmgr_fini(HdDecProcess* hd) {
    if (hd->ctp != nullptr) dispatch_context_free(hd->ctp);
    hd->ctp = nullptr;
    if (hd->dpp == nullptr) return;
    if (hd->attach_id != -1) resmgr_detach(hd->dpp, hd->attach_id, 0);
    hd->attach_id = -1;
    dispatch_destroy(hd->dpp);
    hd->dpp = nullptr;
    ChannelDestroy(hd->chid);
}
