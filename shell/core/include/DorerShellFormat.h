// Output helpers shared by the commands' templates.
#pragma once

#include <cstdint>

#include "qf/CQFBuffer.h"
#include "qf/CQFString.h"

namespace NDorerShellFormat {
// "0x%.2x" per byte, joined by single spaces ("" for an empty buffer).
CQFString formatBytes(const CQFBuffer& bytes);
CQFString formatBytes(const uint8_t* bytes, size_t count);
// "0x%.2x" of the change id, "INVALID" for -1.
CQFString formatChangeId(int32_t changeId);
}  // namespace NDorerShellFormat
