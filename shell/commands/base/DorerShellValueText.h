// Item values as the shell's users type and read them: the text of a key's value by its value
// type, the conversion of typed text back to value bytes, and byte lists ("0x01 2 0x3f").
#pragma once

#include <cstdint>

#include "qf/CQFBuffer.h"
#include "qf/CQFString.h"

namespace NDorerShellValueText {

// The text getk and dumpk show: "true"/"false", bytes as "0x%.2x", little-endian numbers in
// decimal, floating point in the default stream form, characters; empty for an undefined type.
CQFString formatKeyValue(uint32_t valueType, const CQFBuffer& value);

// The bytes setk stores for text of the value type; false (and out empty) when the text does
// not have the type's form or range, or the type is unknown.
bool parseKeyValue(uint32_t valueType, const CQFString& text, CQFBuffer& out);

// Pieces separated by spaces, each trimmed; empty pieces and pieces that are not unsigned
// numbers are skipped, a number above 255 ends the list. True when at least one byte was read.
bool parseByteList(const CQFString& text, CQFBuffer& out);

// Decimal digits only, or "0x"/"0X" followed by hexadecimal digits only.
bool isNumber(const CQFString& text);

}  // namespace NDorerShellValueText
