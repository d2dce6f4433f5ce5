#include "DorerShellFormat.h"

namespace NDorerShellFormat {

CQFString formatBytes(const uint8_t* bytes, size_t count) {
    CQFString text;
    for (size_t i = 0; i < count; ++i) {
        if (i) text.append(' ');
        text.append(CQFString().format("0x%.2x", bytes[i]));
    }
    return text;
}

CQFString formatBytes(const CQFBuffer& bytes) { return formatBytes(bytes.getData(), bytes.getSize()); }

CQFString formatChangeId(int32_t changeId) {
    if (changeId == -1) return "INVALID";
    return CQFString().format("0x%.2x", static_cast<unsigned>(changeId));
}

}  // namespace NDorerShellFormat
