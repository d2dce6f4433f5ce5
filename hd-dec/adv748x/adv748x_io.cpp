#include "adv748x_io.h"

#include <cassert>
#include <cerrno>
#include <cstring>

#include "hddec_log.h"
#include "hu/devctl.h"

const char* const adv748x_map_paths[ADV748X_NUM_MAPS] = {
    "/dev/i2c/i2c_0/io_map",   "/dev/i2c/i2c_0/hdmi_rx_repeater_map", "/dev/i2c/i2c_0/hdmi_rx_map",
    "/dev/i2c/i2c_0/cbus_map", "/dev/i2c/i2c_0/cec_map",              "/dev/i2c/i2c_0/cp_map",
    "/dev/i2c/i2c_0/csi_txa_map", "/dev/i2c/i2c_0/csi_txb_map",       "/dev/i2c/i2c_0/dll_map",
    "/dev/i2c/i2c_0/edid_map", "/dev/i2c/i2c_0/infoframe_map",        "/dev/i2c/i2c_0/sdp_main_map",
};

namespace {

// The I2C service's combined send-then-receive message: the register goes out, the bytes
// read come back in its place.
#define DCMD_I2C_SENDRECV ((int)0xc00c0504u)
constexpr size_t kSendRecvHeader = 12;

struct i2c_sendrecv_hdr {
    uint32_t send_len;
    uint32_t recv_len;
    uint32_t stop;
};
static_assert(sizeof(i2c_sendrecv_hdr) == kSendRecvHeader);

// A transfer that fails, whatever the cause (the chip does not answer, the I2C service is
// gone), is EIO to the callers: the chip could not be reached. The log keeps the cause.
int transfer_write(const char* op, int map, const uint8_t* msg, size_t len) {
    errno = 0;
    ssize_t written = hu_write(map, msg, len);
    if (written == static_cast<ssize_t>(len)) return 0;
    hddec_log("%s: Failed to write to the decoder:%s", op, strerror(written < 0 ? errno : EIO));
    return EIO;
}

int transfer_read(const char* op, int map, uint8_t reg, size_t n, uint8_t* data) {
    assert(data);
    uint8_t msg[kSendRecvHeader + 1 + ADV748X_BLOCK_MAX] = {};
    i2c_sendrecv_hdr hdr{1, static_cast<uint32_t>(n), 1};
    memcpy(msg, &hdr, sizeof hdr);
    msg[kSendRecvHeader] = reg;
    errno = 0;
    int result = devctl(map, DCMD_I2C_SENDRECV, msg, kSendRecvHeader + 1 + n, nullptr);
    if (result != EOK) {
        hddec_log("%s: Failed to read from the decoder:%s", op, strerror(result));
        return EIO;
    }
    memcpy(data, msg + kSendRecvHeader, n);
    return 0;
}

}  // namespace

int adv748x_i2c_wr(int map, uint8_t reg, uint8_t value) {
    const uint8_t msg[2] = {reg, value};
    return transfer_write(__func__, map, msg, sizeof msg);
}

int adv748x_i2c_block_wr(int map, uint8_t reg, const uint8_t* bytes, size_t n) {
    if (n > ADV748X_BLOCK_MAX) return EINVAL;
    uint8_t msg[1 + ADV748X_BLOCK_MAX];
    msg[0] = reg;
    memcpy(msg + 1, bytes, n);
    return transfer_write(__func__, map, msg, 1 + n);
}

int adv748x_i2c_rd(int map, uint8_t reg, uint8_t* data) { return transfer_read(__func__, map, reg, 1, data); }

int adv748x_i2c_block_rd(int map, uint8_t reg, size_t n, uint8_t* data) {
    if (n == 0 || n > ADV748X_BLOCK_MAX) return EINVAL;
    return transfer_read(__func__, map, reg, n, data);
}
