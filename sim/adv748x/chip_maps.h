// The chip's twelve register maps: short names (as the journal and the control interface
// write them) and the I2C service device each map is reached through.
#pragma once

#include <string>

namespace adv748x_sim {

enum Map { IO, REP, HDMI, CBUS, CEC, CP, TXA, TXB, DLL, EDID, INFOFRAME, SDP, kMapCount };

const char* mapName(int map);
const char* mapDevice(int map);
// The map with that short name, or -1.
int mapByName(const std::string& name);

}  // namespace adv748x_sim
