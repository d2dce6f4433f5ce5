// The handlers of "/dev/FlashTerm": text by write, the four control commands by devctl.
#pragma once

#include <cstddef>

#include "hu/resmgr.h"

int io_write(resmgr_context_t* ctp, io_write_t* msg, RESMGR_OCB_T* ocb);
int io_devctl(resmgr_context_t* ctp, io_devctl_t* msg, RESMGR_OCB_T* ocb);

// The decoding behind the handlers, on bytes that really arrived. control_apply: one control
// command over its payload; EOK, EINVAL (record or strings not inside the payload) or ENOSYS.
int control_apply(int dcmd, const char* payload, size_t size);
// Adds the text of a write of received bytes; text has room for one more byte.
void add_written_text(char* text, size_t received);
