// What the server tests store (item changes as the shell sends them) and how they read the
// result back from the shared page.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "DSYSDorerClientStore.h"
#include "DorerPageGetLib.h"
#include "dorerDefaults.h"

namespace hu::sysetsrv::testing {

constexpr uint32_t kVin = 0xF0001002;
const SDorerVersions kShellVersions = {4, 2, 0x060C, 0xFFFF};

inline SDorerItemChange change(uint32_t id, const std::vector<uint8_t>& value) {
    SDorerItemChange c;
    c.mItemId = id;
    c.mData = CQFBuffer(value.data(), value.size());
    return c;
}

// The item's bytes as a reader of the shared page finds them, from a copy of the page; empty
// when the page or the item is not there.
inline std::vector<uint8_t> itemOnPage(const std::string& pageName, uint32_t id) {
    int fd = shm_open(pageName.c_str(), O_RDONLY, 0);
    if (fd < 0) return {};
    void* mapped = mmap(nullptr, kDorerPageSize, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (mapped == MAP_FAILED) return {};
    std::vector<uint8_t> copy(kDorerPageSize);
    memcpy(copy.data(), mapped, kDorerPageSize);
    munmap(mapped, kDorerPageSize);
    const uint8_t* data = nullptr;
    uint16_t length = 0;
    if (DorerPageGetLib_getItem(copy.data(), kDorerPageSize, id, dorerDefaults_getVersion(id), &data, &length) != 0) {
        return {};
    }
    return std::vector<uint8_t>(data, data + length);
}

}  // namespace hu::sysetsrv::testing
