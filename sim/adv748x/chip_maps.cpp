#include "chip_maps.h"

namespace adv748x_sim {
namespace {

struct MapInfo {
    const char* name;
    const char* device;
};
const MapInfo kMaps[kMapCount] = {
    {"io", "/dev/i2c/i2c_0/io_map"},
    {"rep", "/dev/i2c/i2c_0/hdmi_rx_repeater_map"},
    {"hdmi", "/dev/i2c/i2c_0/hdmi_rx_map"},
    {"cbus", "/dev/i2c/i2c_0/cbus_map"},
    {"cec", "/dev/i2c/i2c_0/cec_map"},
    {"cp", "/dev/i2c/i2c_0/cp_map"},
    {"txa", "/dev/i2c/i2c_0/csi_txa_map"},
    {"txb", "/dev/i2c/i2c_0/csi_txb_map"},
    {"dll", "/dev/i2c/i2c_0/dll_map"},
    {"edid", "/dev/i2c/i2c_0/edid_map"},
    {"infoframe", "/dev/i2c/i2c_0/infoframe_map"},
    {"sdp", "/dev/i2c/i2c_0/sdp_main_map"},
};

}  // namespace

const char* mapName(int map) { return kMaps[map].name; }
const char* mapDevice(int map) { return kMaps[map].device; }

int mapByName(const std::string& name) {
    for (int i = 0; i < kMapCount; ++i) {
        if (name == kMaps[i].name) return i;
    }
    return -1;
}

}  // namespace adv748x_sim
