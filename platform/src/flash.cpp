#include "hu/flash.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace hu::flash {
namespace {

// Size in bytes of a regular file or block device; false for anything else.
bool deviceSize(int fd, uint64_t* size) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return false;
    if (S_ISREG(st.st_mode)) {
        *size = static_cast<uint64_t>(st.st_size);
        return true;
    }
    return S_ISBLK(st.st_mode) && ioctl(fd, BLKGETSIZE64, size) == 0;
}

}  // namespace

int fileDevctl(int fd, int dcmd, void* data, size_t nbytes) {
    uint64_t size = 0;
    if (dcmd != DCMD_FLASH_ARRAYINFO || !deviceSize(fd, &size)) return ENOTTY;
    if (data == nullptr || nbytes < sizeof(flash_arrayinfo_t)) return EINVAL;
    flash_arrayinfo_t info{};
    info.size = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
    memcpy(data, &info, sizeof info);
    return EOK;
}

}  // namespace hu::flash
