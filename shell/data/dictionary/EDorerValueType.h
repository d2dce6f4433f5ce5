// The value type of a custom key or adjust leaf, which decides how commands parse and print it.
#pragma once

#include <cstdint>

enum EDorerValueType : uint32_t {
    eDorerValueUndefined = 0,
    eDorerValueBool = 1,
    eDorerValueInt8 = 2,
    eDorerValueUInt8 = 3,
    eDorerValueInt16 = 4,
    eDorerValueUInt16 = 5,
    eDorerValueInt32 = 6,
    eDorerValueUInt32 = 7,
    eDorerValueInt64 = 8,
    eDorerValueUInt64 = 9,
    eDorerValueFloat = 10,
    eDorerValueDouble = 11,
    eDorerValueCQFBuffer = 12,
    eDorerValueCQFString = 13,
    eDorerValueCQFByteStream = 14,
};

// The printed name of a value type; "UNEXPECTED" for a number outside the enumeration.
const char* DorerValueType_getName(uint32_t valueType);
