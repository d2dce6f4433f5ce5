// The once-a-second timer pulse: clocks advance and the screen is redrawn.
#pragma once

#include "hu/resmgr.h"

int on_tick(message_context_t* ctp, int code, unsigned flags, void* handle);
