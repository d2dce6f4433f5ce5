#include "adv748x.h"

#include <fcntl.h>
#include <time.h>

#include <cerrno>
#include <cstring>

#include "adv748x_internal.h"
#include "adv748x_io.h"
#include "adv748x_regseq.h"
#include "hddec_log.h"
#include "hu/devctl.h"

int (*adv748x_msc_start)(MscContext* ctx, int cbus, unsigned verbosity) = msc_context_init;

namespace {

struct device_default {
    int kind;
    int nsources;
    int lane_limit;
};
const device_default kDevices[] = {
    {HDDEC_KIND_HDMI, 1, 5},
    {HDDEC_KIND_ANALOG, 4, 2},
};

// Bus addresses of the other maps, then the chip's basic configuration.
const adv748x_reg_op kInitSeq[] = {
    ADV748X_WR(ADV748X_IO, 0xF2, 0x01), ADV748X_WR(ADV748X_IO, 0xF3, 0x4C), ADV748X_WR(ADV748X_IO, 0xF4, 0x44),
    ADV748X_WR(ADV748X_IO, 0xF5, 0x68), ADV748X_WR(ADV748X_IO, 0xF6, 0x6C), ADV748X_WR(ADV748X_IO, 0xF7, 0x64),
    ADV748X_WR(ADV748X_IO, 0xF8, 0x62), ADV748X_WR(ADV748X_IO, 0xF9, 0xF0), ADV748X_WR(ADV748X_IO, 0xFA, 0x82),
    ADV748X_WR(ADV748X_IO, 0xFB, 0xF2), ADV748X_WR(ADV748X_IO, 0xFC, 0x90), ADV748X_WR(ADV748X_IO, 0xFD, 0x94),

    ADV748X_WR(ADV748X_IO, 0x00, 0x00), ADV748X_WR(ADV748X_IO, 0x0E, 0xDD), ADV748X_WR(ADV748X_IO, 0x10, 0x30),
    ADV748X_WR(ADV748X_IO, 0x17, 0x80), ADV748X_WR(ADV748X_IO, 0x0C, 0xE0), ADV748X_WR(ADV748X_IO, 0x1C, 0x3A),

    ADV748X_CLR_BITS(ADV748X_TXA, 0xF0, 0x01), ADV748X_SET_BITS(ADV748X_TXA, 0xDA, 0x01),
    ADV748X_CLR_BITS(ADV748X_TXB, 0xF0, 0x01), ADV748X_SET_BITS(ADV748X_TXB, 0xDA, 0x01),
    ADV748X_CLR_BITS(ADV748X_IO, 0x1D, 0x40),

    // Clear every interrupt latch.
    ADV748X_WR(ADV748X_IO, 0x45, 0xFF), ADV748X_WR(ADV748X_IO, 0x4B, 0xFF), ADV748X_WR(ADV748X_IO, 0x50, 0xFF),
    ADV748X_WR(ADV748X_IO, 0x69, 0xFF), ADV748X_WR(ADV748X_IO, 0x6E, 0xFF), ADV748X_WR(ADV748X_IO, 0x73, 0xFF),
    ADV748X_WR(ADV748X_IO, 0x82, 0xFF), ADV748X_WR(ADV748X_IO, 0x87, 0xFF), ADV748X_WR(ADV748X_IO, 0x8C, 0xFF),
    ADV748X_WR(ADV748X_IO, 0x91, 0xFF),

    // Interrupt output configuration.
    ADV748X_RMW(ADV748X_IO, 0x41, 0x3C, 0xC6),
};

const adv748x_reg_op kResetSeq[] = {ADV748X_WR(ADV748X_IO, 0xFF, 0xFF)};

void sleep_ms(long ms) {
    timespec left{0, ms * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

int open_maps(HdDecBackend* backend) {
    for (int i = 0; i < ADV748X_NUM_MAPS; ++i) backend->maps[i] = -1;
    for (int i = 0; i < ADV748X_NUM_MAPS; ++i) {
        backend->maps[i] = hu_open(adv748x_map_paths[i], O_RDWR);
        if (backend->maps[i] < 0) {
            int err = errno;
            backend->maps[i] = -1;
            hddec_log("%s:could not open %s (%s)", "adv748x_init", adv748x_map_paths[i], strerror(err));
            return err;
        }
    }
    return 0;
}

int read_chip_id(HdDecBackend* backend, unsigned* id) {
    uint8_t high = 0, low = 0;
    int failed = adv748x_i2c_rd(backend->maps[ADV748X_IO], 0xDF, &high) != 0;
    failed |= adv748x_i2c_rd(backend->maps[ADV748X_IO], 0xE0, &low) != 0;
    *id = failed ? 0 : (unsigned)high << 8 | low;
    return failed ? EIO : 0;
}

// Status register bits and the events they stand for.
struct irq_event {
    int status;  // 0: status A (IO 0x6D), 1: status B (IO 0x8B)
    uint8_t bits;
    uint32_t event;
};
const irq_event kIrqEvents[] = {
    {0, 0x80, HDDEC_F_RX_BLOCK}, {0, 0x60, HDDEC_F_RX},         {0, 0x10, HDDEC_F_RX_BIT},
    {1, 0x20, HDDEC_EV_AUX},     {1, 0x08, HDDEC_F_AUDIO_RATE},
};

// Reads a latched status register and writes the value back to its clear register; false
// when the status could not be read (it stays latched).
bool take_status(HdDecBackend* backend, uint8_t latch, uint8_t clear, uint8_t* status) {
    *status = 0;
    if (adv748x_i2c_rd(backend->maps[ADV748X_IO], latch, status) != 0) return false;
    adv748x_i2c_wr(backend->maps[ADV748X_IO], clear, *status);
    return true;
}

// The update steps, in the order they are handled.
struct update_step {
    uint32_t flag;
    int (*handler)(HdDecBackend* backend);
};
const update_step kUpdateSteps[] = {
    {HDDEC_F_SOURCE, adv748x_set_source},
    {HDDEC_F_LANES, adv748x_set_video_data_lanes},
    {HDDEC_F_OUTPUT, adv748x_set_video_output_enable},
    {HDDEC_F_RX, adv748x_set_rx_flag},
};

}  // namespace

void adv748x_backend_setup(HdDecBackend* backend) {
    backend->name = "QNX driver for ADV748x";
    backend->ndevices = HDDEC_MAX_DEVICES;
    for (int& map : backend->maps) map = -1;
    backend->intr = ADV748X_INTR;
    backend->intr_id = -1;
    backend->cur_dev = 0;
    for (int i = 0; i < HDDEC_MAX_DEVICES; ++i) {
        HdDecDevice* dev = &backend->devices[i];
        dev->kind = kDevices[i].kind;
        dev->nsources = kDevices[i].nsources;
        dev->lane_limit = kDevices[i].lane_limit;
        dev->events.store(0);
        dev->msc.thread_running = 0;
        dev->msc.intr_id = -1;
    }
    backend->init = adv748x_init;
    backend->fini = adv748x_fini;
    backend->irq = adv748x_irq;
    backend->update = adv748x_update;
    backend->query = adv748x_query;
}

int adv748x_init(HdDecBackend* backend, unsigned verbosity) {
    int err = open_maps(backend);
    if (err != 0) return err;

    backend->verbosity = verbosity;
    unsigned chip_id = 0;
    int failed = read_chip_id(backend, &chip_id);
    if (verbosity != 0) hddec_log("chip id: %#x", chip_id);

    failed |= adv748x_run_seq(backend, kResetSeq, ADV748X_SEQ_LEN(kResetSeq));
    sleep_ms(5);
    failed |= adv748x_run_seq(backend, kInitSeq, ADV748X_SEQ_LEN(kInitSeq));

    for (int i = 0; i < HDDEC_MAX_DEVICES; ++i) backend->devices[i].lane_limit = kDevices[i].lane_limit;
    return failed ? EIO : 0;
}

void adv748x_fini(HdDecBackend* backend) {
    // The engine first: it works on the CBUS map until it stops. It runs once started,
    // also when the rest of the first selection failed.
    msc_context_stop(&backend->devices[0].msc);
    for (int& map : backend->maps) {
        if (map >= 0) hu_close(map);
        map = -1;
    }
}

int adv748x_irq(HdDecBackend* backend) {
    uint8_t status[2];
    bool read = take_status(backend, 0x6D, 0x6E, &status[0]);
    read &= take_status(backend, 0x8B, 0x8C, &status[1]);
    if (backend->verbosity & HDDEC_VERBOSE_IRQ) hddec_log("int: 0x%2x, 0x%2x", status[0], status[1]);

    uint32_t events = 0;
    for (const irq_event& e : kIrqEvents) {
        if (status[e.status] & e.bits) events |= e.event;
    }
    if (events != 0) backend->devices[0].events.fetch_or(events);
    return read ? 0 : EIO;
}

int adv748x_update(HdDecBackend* backend, uint32_t flags) {
    // The first failure is the answer: errno values do not combine.
    int result = 0;
    for (const update_step& step : kUpdateSteps) {
        if (!(flags & step.flag)) continue;
        int contribution = step.handler(backend);
        if (result == 0) result = contribution;
    }
    return result;
}
