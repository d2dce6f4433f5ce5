// The handlers of "/dev/FlashTerm": text by write, the four control commands by devctl.
#pragma once

#include "hu/resmgr.h"

int io_write(resmgr_context_t* ctp, io_write_t* msg, RESMGR_OCB_T* ocb);
int io_devctl(resmgr_context_t* ctp, io_devctl_t* msg, RESMGR_OCB_T* ocb);
