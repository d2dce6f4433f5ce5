// Commands of the transport tests' probe server.
#pragma once

#include <cstdint>

#include "hu/devctl.h"

constexpr unsigned PROBE_MSG_MAX = 256;
constexpr int PROBE_TEXT_MAX = 64;

#define PROBE_GET_TEXT __DIOF(_DCMD_MISC, 1, char[PROBE_TEXT_MAX])
#define PROBE_INCREMENT __DIOTF(_DCMD_MISC, 2, int32_t)
#define PROBE_SET_BLOB __DIOT(_DCMD_MISC, 3, char)
#define PROBE_RAISE_OBAND __DION(_DCMD_MISC, 4)
#define PROBE_CLEAR_OBAND __DION(_DCMD_MISC, 5)
