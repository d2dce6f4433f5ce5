// mkipl: writes an IPL area of three copies, optionally with faults, to a file; with -f the
// file is padded to a whole flash size so that it can stand for the raw flash device.
#include <err.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ipl_image.h"

namespace {

void usage() {
    errx(2, "usage: mkipl [-s] [-x region] [-c region] [-w hw-id] [-f flash-size] output "
            "fallback-version secondary-version primary-version\n"
            "  -s  not fail-safe (option bit 0 cleared)\n"
            "  -x  break the region's signature   -c  corrupt the region's program\n"
            "  region: fallback, secondary or primary; numbers in hexadecimal");
}

int regionNamed(const char* name) {
    const char* names[] = {"fallback", "secondary", "primary"};
    for (int i = 0; i < hu::ipl::kRegionCount; ++i) {
        if (strcmp(name, names[i]) == 0) return i;
    }
    usage();
    return -1;
}

uint32_t hexNumber(const char* text) { return static_cast<uint32_t>(strtoul(text, nullptr, 16)); }

}  // namespace

int main(int argc, char** argv) {
    IplCopy copies[hu::ipl::kRegionCount];
    bool corrupt[hu::ipl::kRegionCount] = {};
    unsigned long flash_size = hu::ipl::kAreaSize;
    int opt;
    while ((opt = getopt(argc, argv, "sx:c:w:f:")) != -1) {
        switch (opt) {
            case 's':
                for (auto& copy : copies) copy.options &= ~hu::ipl::kOptionFailSafe;
                break;
            case 'x': copies[regionNamed(optarg)].signature = false; break;
            case 'c': corrupt[regionNamed(optarg)] = true; break;
            case 'w':
                for (auto& copy : copies) copy.hw_id = hexNumber(optarg);
                break;
            case 'f': flash_size = strtoul(optarg, nullptr, 0); break;
            default: usage();
        }
    }
    if (argc - optind != 1 + hu::ipl::kRegionCount || flash_size < hu::ipl::kAreaSize) usage();
    for (int i = 0; i < hu::ipl::kRegionCount; ++i) copies[i].version = hexNumber(argv[optind + 1 + i]);

    std::vector<uint8_t> area = buildIplArea(copies);
    for (int i = 0; i < hu::ipl::kRegionCount; ++i) {
        if (corrupt[i]) area[hu::ipl::regionOffset(i) + hu::ipl::kHeaderEnd] ^= 0xFF;
    }
    FILE* out = fopen(argv[optind], "wb");
    if (out == nullptr) err(1, "%s", argv[optind]);
    bool written = fwrite(area.data(), 1, area.size(), out) == area.size() && fflush(out) == 0 &&
                   ftruncate(fileno(out), static_cast<off_t>(flash_size)) == 0;
    if (fclose(out) != 0 || !written) err(1, "%s", argv[optind]);
    return 0;
}
