// iplcheck over an arbitrary IPL area. The input is cut into three equal parts, each laid at the
// start of one region of a zeroed area (so the headers and the start of each program are the
// fuzzer's). Invariants: no copy's checks read outside its region (each region is also checked
// alone, in a buffer of exactly the region's size), a copy without both magics is "invalid IPL
// header", the reasons are the table's, and the version chosen is the one the boot would use.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "fuzz_root.h"
#include "hu/ipl.h"
#include "ipl_copies.h"

namespace {

using namespace hu::ipl;

uint8_t* g_area;
uint8_t* g_region;

bool hasSignature(const uint8_t* region) {
    return word(region + kMagic1Offset) == kMagic1 && word(region + kMagic2Offset) == kMagic2;
}

// The copy the boot uses: the primary, else the secondary, else the fallback; only the
// fallback's fail-safe option lets the other two stand in. No version when no copy is signed.
bool expectedVersion(const uint8_t* area, uint32_t* version) {
    const uint8_t* fallback = area + regionOffset(kFallback);
    const uint8_t* secondary = area + regionOffset(kSecondary);
    const uint8_t* primary = area + regionOffset(kPrimary);
    if (!hasSignature(fallback) && !hasSignature(secondary) && !hasSignature(primary)) return false;
    *version = word(fallback + kVersionOffset);
    bool failSafe = hasSignature(fallback) && (word(fallback + kOptionsOffset) & kOptionFailSafe);
    if (failSafe && hasSignature(primary)) *version = word(primary + kVersionOffset);
    if (failSafe && !hasSignature(primary) && hasSignature(secondary)) *version = word(secondary + kVersionOffset);
    return true;
}

bool isKnownReason(const char* problem) {
    for (const char* reason : {"invalid IPL header", "IPL header CRC mismatch", "IPL program CRC mismatch"}) {
        if (strcmp(problem, reason) == 0) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    g_area = new uint8_t[kAreaSize];
    g_region = new uint8_t[kRegionSize];
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t part = std::min<size_t>(size / kRegionCount, kRegionSize);
    memset(g_area, 0, kAreaSize);
    for (int region = 0; region < kRegionCount; ++region) {
        memcpy(g_area + regionOffset(region), data + region * part, part);
    }
    for (int region = 0; region < kRegionCount; ++region) {
        const uint8_t* copy = g_area + regionOffset(region);
        memcpy(g_region, copy, kRegionSize);
        const char* alone = iplCopyProblem(g_region);
        const char* inPlace = iplCopyProblem(copy);
        FUZZ_CHECK((alone == nullptr) == (inPlace == nullptr));
        if (alone != nullptr) FUZZ_CHECK(strcmp(alone, inPlace) == 0 && isKnownReason(alone));
        if (!hasSignature(copy)) FUZZ_CHECK(alone != nullptr && strcmp(alone, "invalid IPL header") == 0);
    }
    iplPrintTable(g_area);
    uint32_t version = 0;
    uint32_t expected = 0;
    FUZZ_CHECK(iplSelectVersion(g_area, &version) == expectedVersion(g_area, &expected));
    FUZZ_CHECK(version == expected);
    return 0;
}
