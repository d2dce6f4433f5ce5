// Source selection: the first selection of a device programs its whole path, later ones
// only put its CSI-2 transmitter back into LP11.
#include <cerrno>
#include <cstring>

#include "adv748x.h"
#include "adv748x_edid.h"
#include "adv748x_internal.h"
#include "adv748x_io.h"
#include "adv748x_regseq.h"
#include "hddec_log.h"

namespace {

const adv748x_reg_op kHdmiEnable[] = {
    ADV748X_SET_BITS(ADV748X_IO, 0x10, 0x80),
    ADV748X_RMW(ADV748X_IO, 0x00, 0x9F, 0x40),
    ADV748X_WR(ADV748X_IO, 0x12, 0xF2),
};

const adv748x_reg_op kHdmiReceiver[] = {
    ADV748X_WR(ADV748X_CP, 0xBA, 0x01), ADV748X_WR(ADV748X_IO, 0x05, 0x4A),
    ADV748X_SET_BITS(ADV748X_IO, 0x03, 0x8E), ADV748X_RMW(ADV748X_CP, 0x7C, 0x3F, 0x00),

    ADV748X_WR(ADV748X_HDMI, 0xBE, 0x00), ADV748X_WR(ADV748X_REP, 0x40, 0x83), ADV748X_WR(ADV748X_IO, 0x11, 0x48),
    ADV748X_WR(ADV748X_HDMI, 0x00, 0x08), ADV748X_CLR_BITS(ADV748X_HDMI, 0x83, 0x01),
    ADV748X_CLR_BITS(ADV748X_HDMI, 0x1A, 0x1F), ADV748X_CLR_BITS(ADV748X_HDMI, 0x0F, 0x1F),

    // EDID load: port A's EDID access off while the bytes go in.
    ADV748X_CLR_BITS(ADV748X_REP, 0x74, 0x01), ADV748X_RMW(ADV748X_REP, 0x70, 0x0F, 0x20),
    ADV748X_CLR_BITS(ADV748X_REP, 0x7A, 0x03), ADV748X_BLOCK(ADV748X_EDID, 0x00, adv748x_edid, ADV748X_EDID_SIZE),
    ADV748X_SET_BITS(ADV748X_REP, 0x77, 0x04), ADV748X_CLR_BITS(ADV748X_REP, 0x7D, 0x01),
    ADV748X_SET_BITS(ADV748X_REP, 0x74, 0x01),
};

const adv748x_reg_op kHdmiStart[] = {
    ADV748X_WR(ADV748X_HDMI, 0x6C, 0x01), ADV748X_WR(ADV748X_HDMI, 0xF8, 0x01), ADV748X_WR(ADV748X_HDMI, 0x3D, 0x10),
    ADV748X_WR(ADV748X_HDMI, 0x3E, 0x69), ADV748X_WR(ADV748X_HDMI, 0x3F, 0x46), ADV748X_WR(ADV748X_HDMI, 0x4E, 0xFE),
    ADV748X_WR(ADV748X_HDMI, 0x4F, 0x08), ADV748X_WR(ADV748X_HDMI, 0x57, 0xA3), ADV748X_WR(ADV748X_HDMI, 0x58, 0x04),
    ADV748X_WR(ADV748X_HDMI, 0x85, 0x10),

    ADV748X_CLR_BITS(ADV748X_IO, 0x0F, 0x08), ADV748X_WR(ADV748X_CBUS, 0x22, 0x30),
    ADV748X_WR(ADV748X_CBUS, 0x20, 0x71), ADV748X_WR(ADV748X_CBUS, 0x21, 0x77), ADV748X_WR(ADV748X_CBUS, 0x23, 0x82),
    ADV748X_WR(ADV748X_CBUS, 0x24, 0x77), ADV748X_WR(ADV748X_HDMI, 0x85, 0x11), ADV748X_WR(ADV748X_HDMI, 0x93, 0x00),
    ADV748X_WR(ADV748X_HDMI, 0x5A, 0x80),

    // Sideband interrupts: clear, enable.
    ADV748X_WR(ADV748X_CBUS, 0x13, 0xFF), ADV748X_WR(ADV748X_CBUS, 0x14, 0xFF), ADV748X_WR(ADV748X_CBUS, 0x15, 0x03),
    ADV748X_WR(ADV748X_CBUS, 0x16, 0xF3), ADV748X_WR(ADV748X_CBUS, 0x18, 0x03),
    ADV748X_CLR_BITS(ADV748X_IO, 0x1D, 0x20), ADV748X_WR(ADV748X_CBUS, 0x0F, 0x4B),

    // Chip interrupts: receiver status and audio.
    ADV748X_WR(ADV748X_IO, 0x6F, 0xF0), ADV748X_WR(ADV748X_IO, 0x8D, 0x28),

    ADV748X_WR(ADV748X_TXA, 0x9C, 0x23), ADV748X_WR(ADV748X_TXA, 0x9D, 0x01), ADV748X_WR(ADV748X_TXA, 0x9E, 0x04),
    ADV748X_WR(ADV748X_TXA, 0xD6, 0x07), ADV748X_WR(ADV748X_TXA, 0x34, 0x55), ADV748X_WR(ADV748X_TXA, 0xC1, 0x32),
    ADV748X_WR(ADV748X_TXA, 0xC4, 0x0A), ADV748X_WR(ADV748X_TXA, 0xCA, 0x02), ADV748X_WR(ADV748X_TXA, 0xC1, 0x22),
    ADV748X_WR(ADV748X_TXA, 0x71, 0x33), ADV748X_WR(ADV748X_TXA, 0x72, 0x11), ADV748X_WR(ADV748X_TXA, 0x70, 0x10),
    ADV748X_WR(ADV748X_TXA, 0x01, 0x02), ADV748X_WR(ADV748X_TXA, 0x02, 0x02), ADV748X_WR(ADV748X_TXA, 0x03, 0x04),
    ADV748X_WR(ADV748X_TXA, 0x04, 0x03), ADV748X_WR(ADV748X_TXA, 0x05, 0x03), ADV748X_WR(ADV748X_TXA, 0x7F, 0x03),
};

// Four lanes, transmitter held in LP11.
const adv748x_reg_op kHdmiLp11[] = {ADV748X_WR(ADV748X_TXA, 0x00, 0x84)};

const adv748x_reg_op kAnalogPath[] = {
    ADV748X_SET_BITS(ADV748X_IO, 0x10, 0x40),
    ADV748X_WR(ADV748X_SDP, 0x0F, 0x00), ADV748X_WR(ADV748X_SDP, 0x00, 0x0E), ADV748X_WR(ADV748X_SDP, 0x03, 0x0C),
    ADV748X_WR(ADV748X_SDP, 0x04, 0x07), ADV748X_WR(ADV748X_SDP, 0x13, 0x00), ADV748X_WR(ADV748X_SDP, 0x17, 0x41),
    ADV748X_WR(ADV748X_SDP, 0x1D, 0x40), ADV748X_WR(ADV748X_SDP, 0x52, 0xC0), ADV748X_WR(ADV748X_SDP, 0x5F, 0xA8),
    ADV748X_WR(ADV748X_SDP, 0x5A, 0x90), ADV748X_WR(ADV748X_SDP, 0x60, 0xB0), ADV748X_WR(ADV748X_SDP, 0x0E, 0x80),
    ADV748X_WR(ADV748X_SDP, 0xB6, 0x08), ADV748X_WR(ADV748X_SDP, 0xC0, 0xA0), ADV748X_WR(ADV748X_SDP, 0x0E, 0x00),
    ADV748X_WR(ADV748X_SDP, 0x31, 0x12), ADV748X_WR(ADV748X_SDP, 0x03, 0x01), ADV748X_WR(ADV748X_SDP, 0x0E, 0x80),
    ADV748X_WR(ADV748X_SDP, 0xF9, 0xC1), ADV748X_WR(ADV748X_SDP, 0x0E, 0x00),
    ADV748X_WR(ADV748X_TXA, 0xD6, 0x07),
    ADV748X_WR(ADV748X_TXB, 0x34, 0x55), ADV748X_WR(ADV748X_TXB, 0xC1, 0x32), ADV748X_WR(ADV748X_TXB, 0xC4, 0x0A),
    ADV748X_WR(ADV748X_TXB, 0xCA, 0x02), ADV748X_WR(ADV748X_TXB, 0xC1, 0x22), ADV748X_WR(ADV748X_TXB, 0x71, 0x33),
    ADV748X_WR(ADV748X_TXB, 0x72, 0x11), ADV748X_WR(ADV748X_TXB, 0x01, 0x03), ADV748X_WR(ADV748X_TXB, 0x02, 0x03),
    ADV748X_WR(ADV748X_TXB, 0x03, 0x08), ADV748X_WR(ADV748X_TXB, 0x04, 0x02), ADV748X_WR(ADV748X_TXB, 0x05, 0x04),
    ADV748X_WR(ADV748X_TXB, 0x7F, 0x03),
};

const adv748x_reg_op kAnalogLp11[] = {ADV748X_SET_BITS(ADV748X_TXB, 0x00, 0x80)};

#define RUN(backend, seq) adv748x_run_seq((backend), (seq), ADV748X_SEQ_LEN(seq))

// Colour-space conversion follows the input only when the CP runs it in automatic mode.
int hdmi_setup_csc(HdDecBackend* backend) {
    uint8_t cp = 0;
    if (adv748x_i2c_rd(backend->maps[ADV748X_CP], 0x68, &cp) != 0) return EIO;
    if ((cp & 0xF0) != 0xF0) {
        hddec_log("csc is not in auto mode");
        return 0;
    }
    return adv748x_modify(backend->maps[ADV748X_IO], 0x04, (uint8_t)~0x0A, 0x00) != 0 ? EIO : 0;
}

int hdmi_report_edid(HdDecBackend* backend) {
    uint8_t rep = 0, cbus = 0;
    int failed = 0;
    if (adv748x_i2c_rd(backend->maps[ADV748X_REP], 0x76, &rep) == 0) {
        hddec_log("EDID access is __%s__ on port A", (rep & 0x01) ? "enabled" : " disabled");
    } else {
        failed = 1;
    }
    if (adv748x_i2c_rd(backend->maps[ADV748X_CBUS], 0x02, &cbus) == 0) {
        hddec_log("EDID ready ? %s", (cbus & 0x08) ? "yes" : " no");
    } else {
        failed = 1;
    }
    return failed ? EIO : 0;
}

// A device counts as set up only when its whole sequence went through; until then every
// selection runs it again (the engine, once started, keeps running).
int hdmi_first_selection(HdDecBackend* backend, HdDecDevice* dev) {
    int err = dev->msc.thread_running ? 0 : adv748x_msc_start(&dev->msc, backend->maps[ADV748X_CBUS], backend->verbosity);
    if (err != 0) {
        hddec_log("%s: msc_context_init() failed (%s)", "adv748x_set_source", strerror(err));
        return err;
    }
    int failed = RUN(backend, kHdmiEnable);
    failed |= hdmi_setup_csc(backend);
    failed |= RUN(backend, kHdmiReceiver);
    if (backend->verbosity & HDDEC_VERBOSE_CONFIG) failed |= hdmi_report_edid(backend);
    failed |= RUN(backend, kHdmiStart);
    failed |= RUN(backend, kHdmiLp11);
    dev->initialised = !failed;
    return failed ? EIO : 0;
}

int analog_first_selection(HdDecBackend* backend, HdDecDevice* dev) {
    int failed = RUN(backend, kAnalogPath);
    failed |= RUN(backend, kAnalogLp11);
    dev->initialised = !failed;
    return failed ? EIO : 0;
}

}  // namespace

int adv748x_set_source(HdDecBackend* backend) {
    HdDecDevice* dev = adv748x_cur_device(backend);
    if (backend->verbosity & HDDEC_VERBOSE_CONFIG) {
        hddec_log("%s:device = %d, source = %d", __func__, dev->kind, (int)dev->source);
    }
    if (dev->kind == HDDEC_KIND_HDMI) {
        return dev->initialised ? RUN(backend, kHdmiLp11) : hdmi_first_selection(backend, dev);
    }
    return dev->initialised ? RUN(backend, kAnalogLp11) : analog_first_selection(backend, dev);
}
