#include "checked_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "hu/crc32.h"

namespace hu::sysetsrv {

namespace {

constexpr uint8_t kMagic[4] = {'D', 'S', 'R', 'V'};
constexpr size_t kHeaderSize = sizeof kMagic + 4;  // magic, content length
constexpr size_t kCrcSize = 4;

void putU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t getU32(const uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

bool writeAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool syncDirectory(const std::string& directory) {
    int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

bool fail(std::string& error, const std::string& what) {
    error = what + ": " + std::strerror(errno);
    return false;
}

}  // namespace

std::vector<uint8_t> frameContent(const std::vector<uint8_t>& content) {
    std::vector<uint8_t> framed(kMagic, kMagic + sizeof kMagic);
    putU32(framed, static_cast<uint32_t>(content.size()));
    framed.insert(framed.end(), content.begin(), content.end());
    putU32(framed, crc32Bzip2(framed.data(), framed.size()));
    return framed;
}

FileRead readCheckedFile(const std::string& path, std::vector<uint8_t>& content) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? FileRead::kAbsent : FileRead::kUnreadable;
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    ssize_t got;
    while ((got = read(fd, chunk, sizeof chunk)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            close(fd);
            return FileRead::kUnreadable;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    close(fd);
    if (bytes.size() < kHeaderSize + kCrcSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        return FileRead::kDamaged;
    }
    size_t length = getU32(bytes.data() + sizeof kMagic);
    if (length != bytes.size() - kHeaderSize - kCrcSize) return FileRead::kDamaged;
    size_t covered = kHeaderSize + length;
    if (getU32(bytes.data() + covered) != crc32Bzip2(bytes.data(), covered)) return FileRead::kDamaged;
    content.assign(bytes.begin() + kHeaderSize, bytes.begin() + static_cast<std::ptrdiff_t>(covered));
    return FileRead::kValid;
}

bool writeCheckedFile(const std::string& path, const std::vector<uint8_t>& content, std::string& error) {
    std::string temporary = path + ".tmp";
    std::vector<uint8_t> framed = frameContent(content);
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return fail(error, "create " + temporary);
    bool written = writeAll(fd, framed.data(), framed.size()) && fsync(fd) == 0;
    int saved = errno;
    close(fd);
    errno = saved;
    if (!written) {
        unlink(temporary.c_str());
        errno = saved;
        return fail(error, "write " + temporary);
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        saved = errno;
        unlink(temporary.c_str());
        errno = saved;
        return fail(error, "rename " + temporary);
    }
    // Only a synced directory makes the rename itself survive a power cut.
    if (!syncDirectory(directoryOf(path))) return fail(error, "sync " + directoryOf(path));
    return true;
}

}  // namespace hu::sysetsrv
