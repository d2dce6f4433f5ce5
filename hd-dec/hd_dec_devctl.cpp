// The control API: one handler per command, each with the payload size it needs.
#include <cerrno>
#include <cstring>

#include "hd_dec.h"
#include "hddec_api.h"
#include "hddec_log.h"
#include "hu/devctl.h"

namespace {

// What a command handler works on: the payload in place, and the reply it builds.
struct command_io {
    HdDecBackend* backend;
    void* data;         // payload, read in place and overwritten with the reply data
    int reply_nbytes;   // bytes of reply data
    int info;           // the devctl's information value
};

typedef int (*command_fn)(command_io* io);

int call_update(command_io* io, uint32_t flags) {
    HdDecBackend* b = io->backend;
    if (b->update == nullptr) return EOK;
    int result = b->update(b, flags);
    if (result != 0) hddec_log("%s:update() failed:%s", "io_devctl", strerror(result));
    io->info = result;
    return EOK;
}

// A query's result, with errno as the backend left it.
int call_query(command_io* io, uint32_t flags, void* buffer, size_t length, int* result) {
    HdDecBackend* b = io->backend;
    if (b->query == nullptr) return 0;
    errno = 0;
    *result = b->query(b, flags, buffer, length);
    return errno;
}

hddec_arg_t* arg_of(command_io* io) { return static_cast<hddec_arg_t*>(io->data); }
HdDecDevice* device_of(command_io* io) { return &io->backend->devices[io->backend->cur_dev]; }

int get_num_devices(command_io* io) {
    uint32_t count = static_cast<uint32_t>(io->backend->ndevices);
    memcpy(io->data, &count, sizeof count);
    io->reply_nbytes = sizeof count;
    return EOK;
}

int get_num_sources(command_io* io) {
    arg_of(io)->value.s = device_of(io)->nsources;
    io->reply_nbytes = sizeof(hddec_arg_t);
    return EOK;
}

int set_source(command_io* io) {
    HdDecDevice* dev = device_of(io);
    uint32_t source = arg_of(io)->value.u;
    if (source >= static_cast<uint32_t>(dev->nsources)) {
        hddec_log("%s: invalid source idx %d (maximum is %d)", "io_devctl", static_cast<int>(source), dev->nsources);
        return EINVAL;
    }
    dev->source = source;
    return call_update(io, HDDEC_F_SOURCE);
}

int get_events(command_io* io) {
    arg_of(io)->value.u = device_of(io)->events.exchange(0);
    // The condition stays while another device still has events; set again when the
    // interrupt thread raised one between the check and the clear.
    if (!hd_dec_events_pending(g_hd)) {
        g_hd->notify_cond.fetch_and(~_NOTIFY_COND_OBAND);
        if (hd_dec_events_pending(g_hd)) g_hd->notify_cond.fetch_or(_NOTIFY_COND_OBAND);
    }
    io->reply_nbytes = sizeof(hddec_arg_t);
    return EOK;
}

int set_rx_flag(command_io* io) {
    device_of(io)->rx_flag = arg_of(io)->value.s;
    return call_update(io, HDDEC_F_RX);
}

int query_value(command_io* io, uint32_t flags) {
    int result = 0;
    int err = call_query(io, flags, nullptr, 0, &result);
    arg_of(io)->value.s = result;
    io->info = result == -1 ? err : 0;
    io->reply_nbytes = sizeof(hddec_arg_t);
    return EOK;
}

int get_rx_status(command_io* io) { return query_value(io, HDDEC_F_RX); }
int get_audio_rate(command_io* io) { return query_value(io, HDDEC_F_AUDIO_RATE); }

int get_rx_block(command_io* io) {
    auto* block = static_cast<hddec_block_t*>(io->data);
    memset(block->data, 0, sizeof block->data);
    int result = 0;
    int err = call_query(io, HDDEC_F_RX_BLOCK, block->data, sizeof block->data, &result);
    io->info = result != 0 ? err : 0;
    io->reply_nbytes = sizeof(hddec_block_t);
    return EOK;
}

int get_rx_bit(command_io* io) {
    uint8_t bit = 0;
    int result = 0;
    int err = call_query(io, HDDEC_F_RX_BIT, &bit, sizeof bit, &result);
    arg_of(io)->value.u = bit;
    io->info = result == -1 ? err : 0;
    io->reply_nbytes = sizeof(hddec_arg_t);
    return EOK;
}

int set_output(command_io* io) {
    device_of(io)->output_enable = arg_of(io)->value.s;
    return call_update(io, HDDEC_F_OUTPUT);
}

int set_lanes(command_io* io) {
    HdDecDevice* dev = device_of(io);
    // Compared unsigned, so a negative count is refused too.
    uint32_t lanes = arg_of(io)->value.u;
    if (lanes > static_cast<uint32_t>(dev->lane_limit - 1)) {
        hddec_log("%s: invalid num of lanes %d (maximum is %d)", "io_devctl", static_cast<int>(lanes),
                  dev->lane_limit - 1);
        return EINVAL;
    }
    dev->lanes = static_cast<int>(lanes);
    return call_update(io, HDDEC_F_LANES);
}

struct command_entry {
    uint32_t dcmd;
    size_t payload;    // bytes the command needs
    bool has_device;   // the first word is a device index
    command_fn fn;
};

const command_entry kCommands[] = {
    {DCMD_HDDEC_GET_NUM_DEVICES, sizeof(uint32_t), false, get_num_devices},
    {DCMD_HDDEC_GET_NUM_SOURCES, sizeof(hddec_arg_t), true, get_num_sources},
    {DCMD_HDDEC_SET_SOURCE, sizeof(hddec_arg_t), true, set_source},
    {DCMD_HDDEC_GET_EVENTS, sizeof(hddec_arg_t), true, get_events},
    {DCMD_HDDEC_SET_RX_FLAG, sizeof(hddec_arg_t), true, set_rx_flag},
    {DCMD_HDDEC_GET_RX_STATUS, sizeof(hddec_arg_t), true, get_rx_status},
    {DCMD_HDDEC_GET_AUDIO_RATE, sizeof(hddec_arg_t), true, get_audio_rate},
    {DCMD_HDDEC_GET_RX_BLOCK, sizeof(hddec_block_t), true, get_rx_block},
    {DCMD_HDDEC_GET_RX_BIT, sizeof(hddec_arg_t), true, get_rx_bit},
    {DCMD_HDDEC_SET_OUTPUT, sizeof(hddec_arg_t), true, set_output},
    {DCMD_HDDEC_SET_LANES, sizeof(hddec_arg_t), true, set_lanes},
};

const command_entry* find_command(uint32_t dcmd) {
    for (const command_entry& c : kCommands) {
        if (c.dcmd == dcmd) return &c;
    }
    return nullptr;
}

}  // namespace

int io_devctl(resmgr_context_t* ctp, io_devctl_t* msg, RESMGR_OCB_T* ocb) {
    int status = iofunc_devctl_default(ctp, msg, ocb);
    if (status != _RESMGR_DEFAULT) return status;

    const command_entry* command = find_command(static_cast<uint32_t>(msg->i.dcmd));
    if (command == nullptr) return ENOSYS;
    // A payload shorter than the command needs is refused before anything reads it; the
    // transport has checked that the client sent the nbytes it claims.
    if (msg->i.nbytes < 0 || static_cast<size_t>(msg->i.nbytes) < command->payload) return EINVAL;

    command_io io{&g_hd->backend, _DEVCTL_DATA(msg->i), 0, 0};
    if (command->has_device) {
        uint32_t index = arg_of(&io)->dev_idx;
        if (index >= static_cast<uint32_t>(g_hd->backend.ndevices)) return EINVAL;
        g_hd->backend.cur_dev = static_cast<int>(index);
    }
    status = command->fn(&io);
    if (status != EOK) return status;

    memset(&msg->o, 0, sizeof msg->o);
    msg->o.ret_val = io.info;
    msg->o.nbytes = io.reply_nbytes;
    return _RESMGR_PTR(ctp, &msg->o, sizeof msg->o + static_cast<size_t>(io.reply_nbytes));
}
