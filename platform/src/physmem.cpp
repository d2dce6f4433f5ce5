#include "hu/physmem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "hu/path.h"

namespace {

struct Mapping {
    void* base;
    size_t length;
};

std::mutex g_mutex;
std::map<void*, Mapping> g_mappings;  // by the address handed out

}  // namespace

void* mmap_device_memory(void* addr, size_t len, int prot, int /*flags*/, uint64_t physical) {
    if (len == 0) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    uint64_t start = physical & ~(page - 1);
    size_t length = static_cast<size_t>(physical - start) + len;
    int fd = open(hu::resolveForCreate(hu::physmem::kTargetPath).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return MAP_FAILED;
    // Memory that nobody has written reads as zero, not as a bus error.
    struct stat st {};
    if (fstat(fd, &st) == 0 && static_cast<uint64_t>(st.st_size) < start + length) {
        if (ftruncate(fd, static_cast<off_t>(start + length)) != 0) {
            int saved = errno;
            close(fd);
            errno = saved;
            return MAP_FAILED;
        }
    }
    void* base = mmap(addr, length, prot & (PROT_READ | PROT_WRITE), MAP_SHARED, fd, static_cast<off_t>(start));
    int saved = errno;
    close(fd);
    if (base == MAP_FAILED) {
        errno = saved;
        return MAP_FAILED;
    }
    void* user = static_cast<char*>(base) + (physical - start);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_mappings[user] = {base, length};
    return user;
}

int munmap_device_memory(void* addr, size_t /*len*/) {
    Mapping mapping{};
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_mappings.find(addr);
        if (it == g_mappings.end()) {
            errno = EINVAL;
            return -1;
        }
        mapping = it->second;
        g_mappings.erase(it);
    }
    return munmap(mapping.base, mapping.length);
}

uintptr_t mmap_device_io(size_t len, uint64_t io) {
    void* p = mmap_device_memory(nullptr, len, PROT_READ | PROT_WRITE, 0, io);
    return p == MAP_FAILED ? reinterpret_cast<uintptr_t>(MAP_FAILED) : reinterpret_cast<uintptr_t>(p);
}

int munmap_device_io(uintptr_t io, size_t len) { return munmap_device_memory(reinterpret_cast<void*>(io), len); }
