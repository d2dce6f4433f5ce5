// The settings item definitions as read from the definitions file, with the values the
// generator derives from them (ids, sizes, mirror links, defaults).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace catalogue {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kNoId = 0xFFFFFFFFu;

struct SKey {
    int line = 0;
    std::string name;
    uint32_t id = 0;
    uint32_t size = 0;
    uint32_t storageType = 0;
    uint32_t valueType = 0;
    int32_t slot = -1;
    std::string mirrors;  // name of the mirrored item, empty for none
    bool hasDefault = false;
    Bytes defaultValue;
    uint32_t sourceId = kNoId;
    uint32_t mirrorId = kNoId;
};

struct SValue {
    int line = 0;
    std::string name;
    Bytes bytes;
};

struct SFunction {
    int line = 0;
    std::string name;
    uint32_t id = 0;
    bool hasDefault = false;
    Bytes defaultValue;  // bit field: the field value; multi-byte: the bytes
    std::vector<SValue> values;
    uint32_t mirrorId = kNoId;
};

struct SBlock {
    int line = 0;
    std::string name;
    uint32_t number = 0;
    uint32_t address = 0;
    uint32_t length = 0;
    uint32_t declaredFunctions = 0;
    uint32_t declaredValues = 0;
    std::vector<SFunction> functions;
    uint32_t mirrorId = kNoId;
};

struct SAdjust {
    int line = 0;
    int depth = 0;
    bool isStructure = false;
    std::string name;
    uint32_t offset = 0;
    uint32_t length = 0;
    uint32_t valueType = 0;
    bool hasDefault = false;
    Bytes defaultValue;
    uint32_t childCount = 0;
};

struct SMove {
    uint32_t from = 0;
    uint32_t to = 0;
};

struct SLayout {
    int line = 0;
    uint32_t major = 0;
    uint32_t declaredAbsent = 0;
    uint32_t declaredMoved = 0;
    std::vector<uint32_t> absent;
    std::vector<SMove> moved;
};

struct SCatalogue {
    // Compiled versions by item kind (coding block, coding function, adjust, key).
    uint16_t versions[4] = {0, 0, 0, 0};
    bool hasVersion[3] = {false, false, false};  // coding, adjust, key
    uint8_t adjustVersion = 0;
    bool hasAdjustVersion = false;
    std::vector<SKey> keys;
    std::vector<SBlock> blocks;
    std::vector<SAdjust> adjust;  // pre-order
    std::vector<SLayout> layouts;

    uint32_t codingMajor() const { return versions[1] >> 8; }
};

inline uint32_t adjustId(uint32_t offset, uint32_t length) { return 0x80000000u | (offset << 16) | length; }
inline bool isMultiByte(uint32_t id) { return ((id >> 29) & 1u) != 0; }
inline uint32_t blockOf(uint32_t id) { return (id >> 23) & 0x3Fu; }
inline uint32_t byteOf(uint32_t id) { return (id >> 11) & 0xFFFu; }
inline uint32_t fieldLength(uint32_t id) { return isMultiByte(id) ? (id & 0x7FFu) : 1u; }
inline uint8_t maskOf(uint32_t id) { return static_cast<uint8_t>((id >> 3) & 0xFFu); }
inline unsigned shiftOf(uint8_t mask) {
    unsigned shift = 0;
    while (mask != 0 && (mask & 1u) == 0) {
        mask = static_cast<uint8_t>(mask >> 1);
        ++shift;
    }
    return shift;
}

// Stops the generator with "file:line: item: message".
[[noreturn]] void fail(int line, const std::string& item, const std::string& message);

}  // namespace catalogue
