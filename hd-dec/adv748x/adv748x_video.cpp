// CSI-2 lanes and output of the current device's transmitter, and the HDMI rx flag.
#include <cerrno>

#include "adv748x_internal.h"
#include "adv748x_io.h"
#include "adv748x_regseq.h"
#include "hddec_log.h"

namespace {

#define TX_LP11 0x80  // register 0x00: transmitter held in LP11
#define TX_ENABLE 0x20

int transmitter_map(HdDecBackend* backend, const HdDecDevice* dev) {
    return backend->maps[dev->kind == HDDEC_KIND_HDMI ? ADV748X_TXA : ADV748X_TXB];
}

const char* transmitter_name(const HdDecDevice* dev) { return dev->kind == HDDEC_KIND_HDMI ? "TXA" : "TXB"; }

const char* tx_mode(uint8_t reg0) { return (reg0 & TX_LP11) ? "in LP11 mode" : "fully functional"; }

// Before the change: the D-PHY power and the transmitter's mode.
int report_transmitter_before(int tx, const HdDecDevice* dev, uint8_t reg0) {
    uint8_t dphy = 0;
    int failed = adv748x_i2c_rd(tx, 0xF0, &dphy) != 0;
    if (!failed) hddec_log("%s: CSI DPHY is powered %s", "adv748x_set_video_output_enable", (dphy & 0x01) ? "down" : "up");
    hddec_log("%s CSI transmitter was %s", transmitter_name(dev), tx_mode(reg0));
    return failed ? EIO : 0;
}

int report_transmitter_after(int tx, const HdDecDevice* dev) {
    uint8_t reg0 = 0;
    if (adv748x_i2c_rd(tx, 0x00, &reg0) != 0) return EIO;
    hddec_log("%s CSI transmitter is %s", transmitter_name(dev), tx_mode(reg0));
    return 0;
}

}  // namespace

int adv748x_set_video_data_lanes(HdDecBackend* backend) {
    HdDecDevice* dev = adv748x_cur_device(backend);
    if (backend->verbosity & HDDEC_VERBOSE_CONFIG) hddec_log("%s: enable %d CSI2 data lanes", __func__, dev->lanes);
    return adv748x_modify(transmitter_map(backend, dev), 0x00, 0xF8, (uint8_t)(dev->lanes & 0x07)) != 0 ? EIO : 0;
}

int adv748x_set_video_output_enable(HdDecBackend* backend) {
    HdDecDevice* dev = adv748x_cur_device(backend);
    int tx = transmitter_map(backend, dev);
    bool verbose = backend->verbosity & HDDEC_VERBOSE_CONFIG;
    int failed = 0;
    uint8_t reg0 = 0;
    if (adv748x_i2c_rd(tx, 0x00, &reg0) != 0) {
        failed = 1;  // the old value is unknown: nothing to write back
    } else {
        if (verbose) failed |= report_transmitter_before(tx, dev, reg0);
        uint8_t value = dev->output_enable ? (uint8_t)((reg0 | TX_ENABLE) & ~TX_LP11) : (uint8_t)(reg0 | TX_LP11);
        failed |= adv748x_i2c_wr(tx, 0x00, value) != 0;
        if (verbose) failed |= report_transmitter_after(tx, dev);
    }
    if (dev->kind == HDDEC_KIND_ANALOG) failed |= adv748x_i2c_wr(tx, 0x7F, 0x02) != 0;
    return failed ? EIO : 0;
}

int adv748x_set_rx_flag(HdDecBackend* backend) {
    HdDecDevice* dev = adv748x_cur_device(backend);
    if (dev->kind != HDDEC_KIND_HDMI) return ENOTSUP;
    int hdmi = backend->maps[ADV748X_HDMI];
    int result = dev->rx_flag ? adv748x_modify(hdmi, 0x1A, 0xFF, 0x10) : adv748x_modify(hdmi, 0x1A, (uint8_t)~0x10, 0x00);
    return result != 0 ? EIO : 0;
}
