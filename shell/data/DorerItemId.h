// The 32-bit settings item id. Bits 31-30: kind (0 coding block, 1 coding function, 2 adjust
// item, 3 custom key).
//   kind 0: the block number (1..63).
//   kind 1: bit 29 multi-byte, bits 28-23 block, bits 22-11 byte offset into the block's data;
//           multi-byte: bits 10-0 length; bit field: bits 10-3 mask within the byte, length 1.
//   kind 2: bits 29-16 offset from the start of the adjust block (its 12-byte header included),
//           bits 15-0 length.
//   kind 3: the id stands for itself.
#pragma once

#include <cstdint>

enum EDorerItemKind : uint32_t {
    eDorerItemKindCodingBlock = 0,
    eDorerItemKindCodingFunction = 1,
    eDorerItemKindAdjust = 2,
    eDorerItemKindKey = 3,
};

constexpr uint32_t kDorerInvalidItemId = 0xFFFFFFFFu;

// Compiled item versions, major in the high byte; only majors are compared.
constexpr uint16_t kDorerCodingVersion = 0x060C;
constexpr uint16_t kDorerAdjustVersion = 0x0002;
constexpr uint16_t kDorerKeyVersion = 0x0000;

constexpr uint32_t DorerItemId_kind(uint32_t id) { return id >> 30; }
constexpr uint8_t DorerItemId_major(uint16_t version) { return static_cast<uint8_t>(version >> 8); }

constexpr bool DorerItemId_isMultiByte(uint32_t id) { return ((id >> 29) & 1u) != 0; }
constexpr uint32_t DorerItemId_blockNumber(uint32_t id) { return (id >> 23) & 0x3Fu; }
constexpr uint32_t DorerItemId_byteOffset(uint32_t id) { return (id >> 11) & 0xFFFu; }
constexpr uint32_t DorerItemId_fieldLength(uint32_t id) { return DorerItemId_isMultiByte(id) ? (id & 0x7FFu) : 1u; }
constexpr uint8_t DorerItemId_bitMask(uint32_t id) { return static_cast<uint8_t>((id >> 3) & 0xFFu); }
constexpr bool DorerItemId_isBitField(uint32_t id) {
    return DorerItemId_kind(id) == eDorerItemKindCodingFunction && !DorerItemId_isMultiByte(id);
}

constexpr uint32_t DorerItemId_adjustOffset(uint32_t id) { return (id >> 16) & 0x3FFFu; }
constexpr uint32_t DorerItemId_adjustLength(uint32_t id) { return id & 0xFFFFu; }

// Position of the mask's lowest set bit (0 for an empty mask).
constexpr unsigned DorerItemId_maskShift(uint8_t mask) {
    unsigned shift = 0;
    while (mask != 0 && (mask & 1u) == 0) {
        mask = static_cast<uint8_t>(mask >> 1);
        ++shift;
    }
    return shift;
}

// The field value a bit field holds in its byte.
constexpr uint8_t DorerItemId_fieldValue(uint32_t id, uint8_t byte) {
    return static_cast<uint8_t>((byte & DorerItemId_bitMask(id)) >> DorerItemId_maskShift(DorerItemId_bitMask(id)));
}
