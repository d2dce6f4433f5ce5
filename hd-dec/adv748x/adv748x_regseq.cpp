#include "adv748x_regseq.h"

#include <cerrno>

#include "adv748x_io.h"
#include "hddec_backend.h"

int adv748x_modify(int map, uint8_t reg, uint8_t keep, uint8_t set) {
    uint8_t old = 0;
    int result = adv748x_i2c_rd(map, reg, &old);
    if (result != 0) return result;
    return adv748x_i2c_wr(map, reg, static_cast<uint8_t>((old & keep) | set));
}

int adv748x_run_seq(HdDecBackend* backend, const adv748x_reg_op* ops, size_t n) {
    int failed = 0;
    for (size_t i = 0; i < n; ++i) {
        const adv748x_reg_op& op = ops[i];
        int map = backend->maps[op.map];
        int result = 0;
        switch (op.kind) {
            case ADV748X_OP_WR: result = adv748x_i2c_wr(map, op.reg, op.set); break;
            case ADV748X_OP_RMW: result = adv748x_modify(map, op.reg, op.keep, op.set); break;
            case ADV748X_OP_BLOCK: result = adv748x_i2c_block_wr(map, op.reg, op.bytes, op.nbytes); break;
        }
        if (result != 0) failed = 1;
    }
    return failed ? EIO : 0;
}
