// The receiver driver's control API over arbitrary commands, against a backend whose update and
// query are stubs (no chip). An input is a backend set-up (device count, sources, lane limit,
// pending events, what the stubs answer) and a sequence of messages, each a command, a claimed
// payload size and the payload, handed over in a buffer of exactly the message's size, so that
// a read past what the client sent is an ASan report. A claim larger than what was sent never
// reaches the handler (the transport refuses it).
// Invariants: the answer is a refusal (EINVAL, ENOSYS), a plain EOK (DCMD_ALL_SETFLAGS) or one
// in-place reply that fits in the message buffer and is no larger than the payload; the
// information value is 0 or the errno the stub gave; refused commands change nothing; the
// device state stays within its limits; events are handed out once.
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz_root.h"
#include "hd_dec.h"
#include "hddec_api.h"
#include "hu/devctl.h"

HdDecProcess* g_hd = nullptr;

namespace {

const uint32_t kCommands[] = {
    DCMD_HDDEC_GET_NUM_DEVICES, DCMD_HDDEC_GET_NUM_SOURCES, DCMD_HDDEC_SET_SOURCE,   DCMD_HDDEC_GET_EVENTS,
    DCMD_HDDEC_SET_RX_FLAG,     DCMD_HDDEC_GET_RX_STATUS,   DCMD_HDDEC_GET_AUDIO_RATE, DCMD_HDDEC_GET_RX_BLOCK,
    DCMD_HDDEC_GET_RX_BIT,      DCMD_HDDEC_SET_OUTPUT,      DCMD_HDDEC_SET_LANES,
    static_cast<uint32_t>(DCMD_ALL_SETFLAGS),
};
constexpr size_t kCommandCount = sizeof kCommands / sizeof kCommands[0];

bool isKnown(uint32_t dcmd) {
    return std::find(kCommands, kCommands + kCommandCount, dcmd) != kCommands + kCommandCount;
}

// What the stubs answer: a failing update gives EIO, a failing query -1 with errno EIO.
bool g_fail;
int32_t g_query_value;

int stubUpdate(HdDecBackend*, uint32_t) { return g_fail ? EIO : 0; }

int stubQuery(HdDecBackend*, uint32_t, void* buffer, size_t length) {
    if (g_fail) {
        errno = EIO;
        return -1;
    }
    if (buffer != nullptr) memset(buffer, 0x5a, length);
    return g_query_value;
}

using hu::fuzz::Reader;

void setUp(Reader& in) {
    delete g_hd;
    g_hd = new HdDecProcess{};
    HdDecBackend& b = g_hd->backend;
    b.ndevices = 1 + in.take(1) % HDDEC_MAX_DEVICES;
    for (int i = 0; i < b.ndevices; ++i) {
        b.devices[i].nsources = static_cast<int>(in.take(1) % 5);
        b.devices[i].lane_limit = 1 + static_cast<int>(in.take(1) % 5);  // one lane count at least
        b.devices[i].events = in.take(4);
    }
    b.update = stubUpdate;
    b.query = stubQuery;
    g_fail = in.take(1) & 1;
    g_query_value = static_cast<int32_t>(in.take(4));
}

struct DeviceState {
    unsigned source;
    int output_enable, rx_flag, lanes;
    uint32_t events;
    bool operator==(const DeviceState& o) const {
        return source == o.source && output_enable == o.output_enable && rx_flag == o.rx_flag && lanes == o.lanes &&
               events == o.events;
    }
};

DeviceState stateOf(int device) {
    const HdDecDevice& d = g_hd->backend.devices[device];
    return {d.source, d.output_enable, d.rx_flag, d.lanes, d.events.load()};
}

void checkLimits() {
    const HdDecBackend& b = g_hd->backend;
    FUZZ_CHECK(b.cur_dev >= 0 && b.cur_dev < b.ndevices);
    for (int i = 0; i < b.ndevices; ++i) {
        const HdDecDevice& d = b.devices[i];
        FUZZ_CHECK(d.source == 0 || d.source < static_cast<unsigned>(d.nsources));
        FUZZ_CHECK(d.lanes == 0 || d.lanes < d.lane_limit);
    }
}

// One message: the header and exactly the payload sent.
void sendOne(uint32_t dcmd, int32_t nbytes, const uint8_t* payload, size_t sent) {
    const size_t size = sizeof(_io_devctl) + sent;
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[size]);
    auto* msg = reinterpret_cast<io_devctl_t*>(buffer.get());
    msg->i = {_IO_DEVCTL, 0, static_cast<int32_t>(dcmd), nbytes, 0};
    memcpy(buffer.get() + sizeof(_io_devctl), payload, sent);

    uint32_t events[HDDEC_MAX_DEVICES];
    DeviceState before[HDDEC_MAX_DEVICES];
    for (int i = 0; i < g_hd->backend.ndevices; ++i) {
        events[i] = g_hd->backend.devices[i].events;
        before[i] = stateOf(i);
    }
    resmgr_context_t ctp{};
    iofunc_ocb_t ocb{&g_hd->attr, O_RDWR + 1, 0};
    const int status = io_devctl(&ctp, msg, &ocb);

    if (status == EINVAL || status == ENOSYS || status == EOK) {
        for (int i = 0; i < g_hd->backend.ndevices; ++i) FUZZ_CHECK(stateOf(i) == before[i]);
        FUZZ_CHECK(status != EOK || dcmd == static_cast<uint32_t>(DCMD_ALL_SETFLAGS));
        FUZZ_CHECK(status != ENOSYS || !isKnown(dcmd));
        return;
    }
    FUZZ_CHECK(status == _RESMGR_NPARTS(1));
    FUZZ_CHECK(ctp.iov[0].iov_base == &msg->o);
    FUZZ_CHECK(ctp.iov[0].iov_len == sizeof msg->o + static_cast<size_t>(msg->o.nbytes));
    FUZZ_CHECK(ctp.iov[0].iov_len <= size);
    FUZZ_CHECK(msg->o.nbytes >= 0 && msg->o.nbytes <= nbytes);
    FUZZ_CHECK(msg->o.ret_val == 0 || (g_fail && msg->o.ret_val == EIO));
    if (dcmd == DCMD_HDDEC_GET_EVENTS) {
        const int device = g_hd->backend.cur_dev;
        uint32_t handed;
        memcpy(&handed, buffer.get() + sizeof(_io_devctl) + offsetof(hddec_arg_t, value), sizeof handed);
        FUZZ_CHECK(handed == events[device]);
        FUZZ_CHECK(g_hd->backend.devices[device].events == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    hu::fuzz::usePrivateRoot();  // the driver's log lines
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    setUp(in);
    // Each message: command choice (the table, or for 0xff the next four bytes), claimed size,
    // sent size, payload.
    while (!in.done()) {
        const uint8_t choice = static_cast<uint8_t>(in.take(1));
        const uint32_t dcmd = choice == 0xff ? in.take(4) : kCommands[choice % kCommandCount];
        // The framework's own reply to DCMD_ALL_GETFLAGS is written in place whatever the client
        // sent, into a receive buffer that always has room: platform_dispatch_fuzz covers it.
        if (dcmd == static_cast<uint32_t>(DCMD_ALL_GETFLAGS)) continue;
        const int32_t nbytes = static_cast<int8_t>(in.take(1));
        const size_t sent = std::min<size_t>(in.take(1) % 32, size - in.at);
        const uint8_t* payload = data + in.at;
        in.at += sent;
        if (nbytes > 0 && static_cast<size_t>(nbytes) > sent) continue;  // the transport refuses
        sendOne(dcmd, nbytes, payload, sent);
        checkLimits();
    }
    return 0;
}
