// The three IPL copies of an area: their validity, the verbose table and the version that
// the boot would use.
#pragma once

#include <cstdint>

// Null when the copy in region (kRegionSize bytes) is valid, else the reason shown in the table.
const char* iplCopyProblem(const uint8_t* region);

void iplPrintTable(const uint8_t* area);

// The primary's version if its signature is valid, else the secondary's, else the
// fallback's; warns about every copy that cannot stand in. False (after a warning) when no
// copy has a valid header, so there is no version.
bool iplSelectVersion(const uint8_t* area, uint32_t* version);
