// Physical-memory mapping of the target, backed by the sparse file "$HU_ROOT/dev/mem"
// (file offset = physical address), which stand-ins and tests fill.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

#define PROT_NOCACHE 0x0

void* mmap_device_memory(void* addr, size_t len, int prot, int flags, uint64_t physical);
int munmap_device_memory(void* addr, size_t len);

// Register-style access: mmap_device_io maps read-write and answers the address as an integer.
uintptr_t mmap_device_io(size_t len, uint64_t io);
int munmap_device_io(uintptr_t io, size_t len);

inline uint32_t in32(uintptr_t a) { return *reinterpret_cast<volatile uint32_t*>(a); }
inline void out32(uintptr_t a, uint32_t v) { *reinterpret_cast<volatile uint32_t*>(a) = v; }

namespace hu::physmem {
// The host file standing for physical memory.
const char* const kTargetPath = "/dev/mem";
}  // namespace hu::physmem
