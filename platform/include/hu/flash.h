// The raw flash device's array-information request. On the host the flash device is a
// regular file (or a block device) at the resolved path; devctl() answers this request for
// such a descriptor with its size.
#pragma once

#include <cstdint>

#include "hu/devctl.h"

#define _DCMD_FLASH 0x09

struct flash_arrayinfo_t {
    uint32_t status;
    uint32_t size;  // bytes in the flash array
    uint32_t reserved[2];
};
static_assert(sizeof(flash_arrayinfo_t) == 16);

#define DCMD_FLASH_ARRAYINFO __DIOTF(_DCMD_FLASH, 3, flash_arrayinfo_t)

namespace hu::flash {

// devctl() of a descriptor that is no resource-manager connection: EOK for the
// array-information request on a regular file or block device, else ENOTTY.
int fileDevctl(int fd, int dcmd, void* data, size_t nbytes);

}  // namespace hu::flash
