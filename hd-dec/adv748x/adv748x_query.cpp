// Status queries: receiver status, audio sample rate, and the receiver's status block and bit.
#include <cerrno>

#include "adv748x.h"
#include "adv748x_internal.h"
#include "adv748x_io.h"
#include "hddec_log.h"

namespace {

bool is_analog(HdDecBackend* backend) { return adv748x_cur_device(backend)->kind == HDDEC_KIND_ANALOG; }

// The analogue decoder has no such status: -1 with a reason, not a value of 0.
int not_on_analog() {
    errno = ENOTSUP;
    return -1;
}

int query_rx(HdDecBackend* backend, void*, size_t) {
    if (is_analog(backend)) return not_on_analog();
    uint8_t status = 0;
    int err = adv748x_i2c_rd(backend->maps[ADV748X_IO], 0x6C, &status);
    if (err != 0) {
        errno = err;
        return -1;
    }
    return (status & 0x60) ? 1 : 0;
}

// IEC 60958 channel-status sampling-frequency codes.
struct sample_rate {
    uint8_t code;
    int hz;
};
const sample_rate kSampleRates[] = {
    {0, 44100}, {2, 48000}, {3, 32000}, {8, 88200}, {10, 96000}, {12, 176400}, {14, 192000},
};

int adv748x_get_audio_sample_rate(HdDecBackend* backend, void*, size_t) {
    if (is_analog(backend)) return 0;
    uint8_t status = 0;
    int err = adv748x_i2c_rd(backend->maps[ADV748X_REP], 0x39, &status);
    if (err != 0) {
        errno = err;
        return -1;  // a rate of 0 would read as data
    }
    uint8_t code = status & 0x0F;
    errno = 0;
    for (const sample_rate& rate : kSampleRates) {
        if (rate.code == code) return rate.hz;
    }
    hddec_log("%s: unrecognized sampling rate %#x", __func__, code);
    return 0;
}

// 1 with errno 1 when the receiver has nothing to report, -1 with the read's errno when a
// register read failed (never 0: that would pass the zeroed buffer off as data), 0 when it
// has something.
int check_rx_ready(HdDecBackend* backend, int io_status_too) {
    uint8_t hdmi = 0;
    int err = adv748x_i2c_rd(backend->maps[ADV748X_HDMI], 0x04, &hdmi);
    if (err != 0) {
        errno = err;
        return -1;
    }
    if (!(hdmi & 0x01)) {
        errno = 1;
        return 1;
    }
    if (io_status_too) {
        uint8_t io = 0;
        err = adv748x_i2c_rd(backend->maps[ADV748X_IO], 0x6C, &io);
        if (err != 0) {
            errno = err;
            return -1;
        }
        if (!(io & 0x80)) {
            errno = 1;
            return 1;
        }
    }
    return 0;
}

int query_rx_block(HdDecBackend* backend, void* buffer, size_t length) {
    if (is_analog(backend)) return not_on_analog();
    if (buffer == nullptr) {
        errno = EINVAL;
        return -1;
    }
    int ready = check_rx_ready(backend, 1);
    if (ready != 0) return ready;
    int result = adv748x_i2c_block_rd(backend->maps[ADV748X_HDMI], 0x36, length, static_cast<uint8_t*>(buffer));
    errno = result;
    return result;
}

int query_rx_bit(HdDecBackend* backend, void* buffer, size_t length) {
    if (is_analog(backend)) return not_on_analog();
    if (buffer == nullptr || length == 0) {
        errno = EINVAL;
        return -1;
    }
    int ready = check_rx_ready(backend, 0);
    if (ready != 0) return ready;
    uint8_t status = 0;
    int result = adv748x_i2c_rd(backend->maps[ADV748X_HDMI], 0x07, &status);
    if (result != 0) {
        errno = result;
        return -1;
    }
    *static_cast<uint8_t*>(buffer) = status & 0x40;
    errno = 0;
    return 0;
}

struct query_handler {
    uint32_t flag;
    int (*handler)(HdDecBackend* backend, void* buffer, size_t length);
};
const query_handler kQueries[] = {
    {HDDEC_F_RX, query_rx},
    {HDDEC_F_AUDIO_RATE, adv748x_get_audio_sample_rate},
    {HDDEC_F_RX_BLOCK, query_rx_block},
    {HDDEC_F_RX_BIT, query_rx_bit},
};

}  // namespace

int adv748x_query(HdDecBackend* backend, uint32_t flags, void* buffer, size_t length) {
    for (const query_handler& q : kQueries) {
        if (flags & q.flag) return q.handler(backend, buffer, length);
    }
    return -1;
}
