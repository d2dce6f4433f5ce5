// The boot-information record that the IOC's boot loader leaves in physical memory, found
// through the entry "IOC_BM_INFO=<hex address>" of the boot configuration string.
#pragma once

#include <cstdint>

// Log opcode of every line of this tool.
constexpr int kIocLogOpcode = 20000;

struct IocBootInfo {
    uint8_t reserved0[4];
    uint8_t wakeup_reason;
    uint8_t boot_loader;  // bits 3..0: active when 1; bits 7..4: internal hardware index
    uint8_t reserved6[2];
    uint8_t ipc_protocol_version;
    uint8_t reserved9[7];
};
static_assert(sizeof(IocBootInfo) == 16);

// Copies the record into info; 0, or an errno value (the reason is in the system log).
int ioc_boot_info(IocBootInfo* info);

// Fields of a record; a null record is logged and answers -1 (0 for boot_loader_active).
int ioc_boot_info_ipc_protocol_version(const IocBootInfo* info);
int ioc_boot_info_wakeup_reason(const IocBootInfo* info);
int ioc_boot_info_boot_loader_active(const IocBootInfo* info);
int ioc_boot_info_internal_hardware_index(const IocBootInfo* info);
