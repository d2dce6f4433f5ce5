#include "EDorerValueType.h"

const char* DorerValueType_getName(uint32_t valueType) {
    static const char* const kNames[] = {
        "Undefined", "Bool",   "Int8",   "UInt8", "Int16",     "UInt16",    "Int32",        "UInt32",
        "Int64",     "UInt64", "Float",  "Double", "CQFBuffer", "CQFString", "CQFByteStream",
    };
    return valueType < sizeof kNames / sizeof kNames[0] ? kNames[valueType] : "UNEXPECTED";
}
