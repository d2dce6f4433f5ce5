#include "ipl_area.h"

#include <err.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hu/devctl.h"
#include "hu/flash.h"
#include "hu/ipl.h"
#include "hu/path.h"

namespace {

using hu::ipl::kAreaSize;

// Ends the program with "iplcheck: " and the message, followed by the current errno's text
// when there is one (a message that names its error itself clears errno first).
[[noreturn]] __attribute__((format(printf, 1, 2))) void fail(const char* fmt, ...) {
    int saved = errno;
    char message[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(message, sizeof message, fmt, args);
    va_end(args);
    if (saved == 0) errx(1, "%s", message);
    errno = saved;
    err(1, "%s", message);
}

uint8_t* allocateArea() {
    uint8_t* area = static_cast<uint8_t*>(malloc(kAreaSize));
    if (area == nullptr) fail("can't malloc %#x bytes for image", kAreaSize);
    return area;
}

// Seek-and-read until the area is complete; a device may hand out less than asked.
void readArea(int fd, uint8_t* area) {
    uint32_t done = 0;
    int read_errno = 0;
    while (done < kAreaSize) {
        errno = 0;  // a seek that lands elsewhere without an error has no errno text
        if (lseek(fd, done, SEEK_SET) != static_cast<off_t>(done)) fail("can't seek to offset %#x", done);
        ssize_t n = hu_read(fd, area + done, kAreaSize - done);
        if (n < 0) {
            read_errno = errno;
            fprintf(stderr, "\n==> XXX read failed(%d): %s\n", static_cast<int>(n), strerror(read_errno));
            break;
        }
        if (n == 0) {
            fprintf(stderr, "\n==> XXX read failed(%d): ??\n", 0);
            break;
        }
        done += static_cast<uint32_t>(n);
    }
    if (done < kAreaSize) {
        const char* reason = read_errno != 0 ? strerror(read_errno) : "Unexpected EOF";
        errno = 0;  // named in the message
        fail("while reading image: %s", reason);
    }
}

}  // namespace

uint8_t* iplReadImage(const char* path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("open image file '%s'", path);
    struct stat st {};
    if (fstat(fd, &st) != 0) fail("stat image file '%s'", path);
    if (st.st_size != static_cast<off_t>(kAreaSize)) {
        errno = 0;
        fail("image file '%s' has unexpected size %#llx (expected %#x)", path,
             static_cast<unsigned long long>(st.st_size), kAreaSize);
    }
    uint8_t* area = allocateArea();
    readArea(fd, area);
    close(fd);
    return area;
}

uint8_t* iplReadFlash(const char* device) {
    // The messages name the file really opened, which a root directory may have moved.
    std::string resolved = hu::resolve(device);
    int fd = hu_open(device, O_RDONLY);
    if (fd < 0) fail("open flash device '%s'", resolved.c_str());
    flash_arrayinfo_t info{};
    int status = devctl(fd, DCMD_FLASH_ARRAYINFO, &info, sizeof info, nullptr);
    if (status != EOK) {
        errno = 0;  // named in the message
        fail("get array info for '%s': %s", resolved.c_str(), strerror(status));
    }
    if (info.size < kAreaSize) {
        errno = 0;
        fail("unexpected flash size: %#x", info.size);
    }
    uint8_t* area = allocateArea();
    readArea(fd, area);
    if (hu_close(fd) != 0) fail("close flash device");
    return area;
}
