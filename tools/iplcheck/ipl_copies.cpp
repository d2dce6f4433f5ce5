#include "ipl_copies.h"

#include <err.h>

#include <cstdio>

#include "hu/crc32.h"
#include "hu/ipl.h"

namespace {

using namespace hu::ipl;

uint32_t field(const uint8_t* region, uint32_t offset) { return word(region + offset); }

bool hasSignature(const uint8_t* region) {
    return field(region, kMagic1Offset) == kMagic1 && field(region, kMagic2Offset) == kMagic2;
}

// The program CRC sits right after the program; a length that puts it before the program's
// start or outside the region cannot be checked and counts as a mismatch.
bool programCrcMatches(const uint8_t* region, uint32_t options) {
    uint64_t start = (options & kOptionHeaderCrc) ? kHeaderEnd : 0;
    uint64_t length = field(region, kLengthOffset);
    uint64_t end = length + 4;
    if (length < start || end > kRegionSize) return false;
    return hu::crc32Bzip2(region + start, end - start) == hu::kCrc32Bzip2Residue;
}

void printRow(const uint8_t* area, int region, const char* label) {
    const uint8_t* copy = area + regionOffset(region);
    uint32_t hw_id = field(copy, kHwIdOffset);
    uint32_t options = field(copy, kOptionsOffset);
    printf("    %10s %8x %7X", label, regionOffset(region), field(copy, kVersionOffset));
    const char* problem = iplCopyProblem(copy);
    if (problem != nullptr) {
        printf("%9s %8x  BAD: %s\n", "", options, problem);
    } else if (hw_id != 0) {
        printf(" %5X.%02X %8x  OK\n", hw_id >> 8, hw_id & 0xFF, options);
    } else {
        printf("%9s %8x  OK\n", "", options);
    }
}

}  // namespace

const char* iplCopyProblem(const uint8_t* region) {
    uint32_t options = field(region, kOptionsOffset);
    if (!hasSignature(region)) return "invalid IPL header";
    if ((options & kOptionHeaderCrc) && hu::crc32Bzip2(region, kHeaderEnd) != hu::kCrc32Bzip2Residue) {
        return "IPL header CRC mismatch";
    }
    if ((options & kOptionProgramCrc) && !programCrcMatches(region, options)) return "IPL program CRC mismatch";
    return nullptr;
}

void iplPrintTable(const uint8_t* area) {
    printf("\n    IPL:        address version    HW id  options  status\n"
           "    -----------------------------------------------------\n");
    printRow(area, kPrimary, "primary:  ");
    printRow(area, kSecondary, "secondary:");
    printRow(area, kFallback, "fallback: ");
    printf("\n");
    fflush(stdout);  // before the warnings of the version selection on standard error
}

bool iplSelectVersion(const uint8_t* area, uint32_t* version) {
    const uint8_t* fallback = area + regionOffset(kFallback);
    const uint8_t* secondary = area + regionOffset(kSecondary);
    const uint8_t* primary = area + regionOffset(kPrimary);
    // Erased (all 0xFF) or blank (all 0x00) flash holds no IPL: its "version" is no date code.
    if (!hasSignature(fallback) && !hasSignature(secondary) && !hasSignature(primary)) {
        warnx("no IPL version found: no copy has a valid IPL header.");
        return false;
    }
    *version = field(fallback, kVersionOffset);
    if (!hasSignature(fallback) || !(field(fallback, kOptionsOffset) & kOptionFailSafe)) {
        warnx("IPL version is not fail safe.");
        return true;
    }
    if (hasSignature(secondary)) {
        *version = field(secondary, kVersionOffset);
    } else {
        warnx("secondary IPL signature not valid.");
    }
    if (hasSignature(primary)) {
        *version = field(primary, kVersionOffset);
    } else {
        warnx("primary IPL signature not valid.");
    }
    return true;
}
