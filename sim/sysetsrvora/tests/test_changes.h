// What the server tests store: item changes as the shell sends them.
#pragma once

#include <cstdint>
#include <vector>

#include "DSYSDorerClientStore.h"

namespace hu::sysetsrv::testing {

constexpr uint32_t kVin = 0xF0001002;
const SDorerVersions kShellVersions = {4, 2, 0x060C, 0xFFFF};

inline SDorerItemChange change(uint32_t id, const std::vector<uint8_t>& value) {
    SDorerItemChange c;
    c.mItemId = id;
    c.mData = CQFBuffer(value.data(), value.size());
    return c;
}

}  // namespace hu::sysetsrv::testing
