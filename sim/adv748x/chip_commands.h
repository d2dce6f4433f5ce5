// The stand-in's out-of-band control language, one command per line:
//   set <map> <reg> <value>        get <map> <reg>        latch <map> <reg> <bits>
//   fail <map> on|off              journal clear
//   mhl connect | disconnect | seq <value>
//   mhl answer auto|nack|abort|silent|rx-abort [<count>]
//   mhl caps <16 bytes>
//   mhl send [hold <n>] <packets>  mhl send-now <packets>  mhl flush
//   mhl fifo req|resp <count> <packets>
// Numbers are hexadecimal (with or without 0x); packets are c:<hex> (control) or d:<hex>.
// The answer is "ok", a value ("0x5a") or "error: <why>".
#pragma once

#include <functional>
#include <string>

#include "chip_model.h"
#include "mhl_peer.h"

namespace adv748x_sim {

struct ChipWorld {
    ChipModel& chip;
    MhlPeer& peer;
    std::function<void()> clear_journal;
};

std::string runCommand(ChipWorld& world, const std::string& line);

}  // namespace adv748x_sim
