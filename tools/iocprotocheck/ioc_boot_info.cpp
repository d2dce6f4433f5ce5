#include "ioc_boot_info.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "hu/bootcfg.h"
#include "hu/physmem.h"
#include "hu/slog.h"

namespace {

const char kAddressKey[] = "IOC_BM_INFO=";

#define LOG_WARNING(...) slogf(kIocLogOpcode, _SLOG_WARNING, __VA_ARGS__)

// The physical address named by the entry at key; 0 when it is not a clean 32-bit
// address (0 and all ones are no addresses either).
uint32_t addressOf(const char* key) {
    char* end = nullptr;
    unsigned long value = strtoul(key + strlen(kAddressKey), &end, 16);
    if (value == 0 || value >= 0xFFFFFFFFul || isalnum(static_cast<unsigned char>(*end))) return 0;
    return static_cast<uint32_t>(value);
}

int copyRecord(const char* bootcfg, IocBootInfo* info) {
    const char* key = strstr(bootcfg, kAddressKey);
    if (key == nullptr) {
        LOG_WARNING("ioc_boot_info: IOC_BM_INFO not available in _UCS_BOOTCFG!");
        return ENOTSUP;
    }
    uint32_t address = addressOf(key);
    if (address == 0) {
        LOG_WARNING("ioc_boot_info: Failed to look up IOC_BM_INFO address in %s!", key);
        return ERANGE;
    }
    void* record = mmap_device_memory(nullptr, sizeof *info, PROT_READ, MAP_SHARED, address);
    if (record == MAP_FAILED) {
        int error = errno;
        LOG_WARNING("ioc_boot_info: Failed to map 0x%02X bytes at physical address 0x%08X: %s (%d)!",
                    static_cast<unsigned>(sizeof *info), address, strerror(error), error);
        return ENXIO;
    }
    slogf(kIocLogOpcode, _SLOG_INFO, "ioc_boot_info: IOC_BM_INFO ptr 0x%08X", address);
    memcpy(info, record, sizeof *info);
    if (munmap_device_memory(record, sizeof *info) != 0) {
        int error = errno;
        LOG_WARNING("ioc_boot_info: Failed to unmap 0x%02X bytes at logical address 0x%p: %s (%d)!",
                    static_cast<unsigned>(sizeof *info), record, strerror(error), error);
    }
    return 0;
}

}  // namespace

int ioc_boot_info(IocBootInfo* info) {
    if (info == nullptr) {
        LOG_WARNING("ioc_boot_info: Null iocBootInfo!");
        return EINVAL;
    }
    size_t length = hu_confstr(_UCS_BOOTCFG, nullptr, 0);
    if (length == 0) {
        LOG_WARNING("ioc_boot_info: _UCS_BOOTCFG not availabe!");
        return ENOSYS;
    }
    char* bootcfg = static_cast<char*>(malloc(length));
    if (bootcfg == nullptr) {
        LOG_WARNING("ioc_boot_info: Failed to allocate %u bytes!", static_cast<unsigned>(length));
        return ENOMEM;
    }
    hu_confstr(_UCS_BOOTCFG, bootcfg, length);
    int result = copyRecord(bootcfg, info);
    free(bootcfg);
    return result;
}

int ioc_boot_info_ipc_protocol_version(const IocBootInfo* info) {
    if (info == nullptr) {
        LOG_WARNING("ioc_boot_info_ipc_protocol_version: NULL iocBootInfo!");
        return -1;
    }
    return info->ipc_protocol_version;
}

int ioc_boot_info_wakeup_reason(const IocBootInfo* info) {
    if (info == nullptr) {
        LOG_WARNING("ioc_boot_info_wakeup_reason: NULL iocBootInfo!");
        return -1;
    }
    return info->wakeup_reason;
}

int ioc_boot_info_boot_loader_active(const IocBootInfo* info) {
    if (info == nullptr) {
        LOG_WARNING("ioc_boot_info_boot_loader_active: NULL iocBootInfo!");
        return 0;
    }
    return (info->boot_loader & 0x0F) == 1;
}

int ioc_boot_info_internal_hardware_index(const IocBootInfo* info) {
    if (info == nullptr) {
        LOG_WARNING("ioc_boot_info_internal_hardware_index: NULL iocBootInfo!");
        return -1;
    }
    return info->boot_loader >> 4;
}
