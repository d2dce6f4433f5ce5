// Register sequences as data: each step is a plain write, a read-modify-write or a block
// write. A sequence runs to its end whatever fails; the failures add up to EIO.
#pragma once

#include <cstddef>
#include <cstdint>

struct HdDecBackend;

enum adv748x_reg_op_kind { ADV748X_OP_WR, ADV748X_OP_RMW, ADV748X_OP_BLOCK };

struct adv748x_reg_op {
    uint8_t kind;
    uint8_t map;
    uint8_t reg;
    uint8_t keep;          // read-modify-write: bits kept from the old value
    uint8_t set;           // the value written (plain) or the bits set (read-modify-write)
    const uint8_t* bytes;  // block write
    uint16_t nbytes;
};

#define ADV748X_WR(map, reg, value) {ADV748X_OP_WR, (map), (reg), 0x00, (value), nullptr, 0}
#define ADV748X_RMW(map, reg, keep, set) {ADV748X_OP_RMW, (map), (reg), (keep), (set), nullptr, 0}
#define ADV748X_SET_BITS(map, reg, bits) ADV748X_RMW(map, reg, 0xFF, bits)
#define ADV748X_CLR_BITS(map, reg, bits) ADV748X_RMW(map, reg, (uint8_t)~(bits), 0x00)
#define ADV748X_BLOCK(map, reg, bytes, n) {ADV748X_OP_BLOCK, (map), (reg), 0x00, 0x00, (bytes), (n)}

#define ADV748X_SEQ_LEN(seq) (sizeof(seq) / sizeof((seq)[0]))

// 0, or EIO when any access failed. A read-modify-write whose read failed writes nothing:
// the old value is unknown.
int adv748x_run_seq(HdDecBackend* backend, const adv748x_reg_op* ops, size_t n);

// One read-modify-write on the map handle; 0 or the errno of the failing access.
int adv748x_modify(int map, uint8_t reg, uint8_t keep, uint8_t set);
