#include "omap5_gpio.h"

#include <cassert>
#include <cerrno>
#include <cstring>

#include "hddec_log.h"
#include "hu/physmem.h"

namespace {

constexpr uint64_t kControlIdCode = 0x4A002204;
constexpr uint64_t kGpio8ClkctrlRev1 = 0x4A009118;
constexpr uint64_t kGpio8ClkctrlLater = 0x4A009518;
constexpr uint64_t kGpio8Base = 0x48053000;
constexpr size_t kGpio8Size = 4096;

constexpr uintptr_t kSysconfig = 0x10;
constexpr uintptr_t kOe = 0x134;
constexpr uintptr_t kLevelDetect0 = 0x140;
constexpr uintptr_t kLevelDetect1 = 0x144;
constexpr uintptr_t kRisingDetect = 0x148;
constexpr uintptr_t kFallingDetect = 0x14C;

constexpr uint16_t kPadMuxInput = 0x0500;

struct intrq_pin {
    int pin;
    uint64_t padconf;  // 32-bit register holding the pin's half-word
    bool upper_half;
};

intrq_pin get_gpio_pin_id(int intrq) {
    switch (intrq) {
        case 1: return {9, 0x4A00297C, true};
        case 2: return {10, 0x4A002980, false};
        default:
            assert(0 && "invalid ADV7481_INTRQ num");
            return {-1, 0, false};
    }
}

// Maps one 32-bit register; 0 or errno.
int map_register(uint64_t physical, uintptr_t* reg) {
    uintptr_t p = mmap_device_io(4, physical);
    if (p == reinterpret_cast<uintptr_t>(MAP_FAILED)) return errno;
    *reg = p;
    return 0;
}

void set_bits(uintptr_t reg, uint32_t bits) { out32(reg, in32(reg) | bits); }
void clear_bits(uintptr_t reg, uint32_t bits) { out32(reg, in32(reg) & ~bits); }

}  // namespace

int gpio_init(uintptr_t* gpio8) {
    uintptr_t id_reg = 0;
    int err = map_register(kControlIdCode, &id_reg);
    if (err != 0) {
        hddec_log("%s:unable to map OMAP54XX_CONTROL_ID_CODE register (%s)", "gpio_init", strerror(err));
        return err;
    }
    uint32_t revision = in32(id_reg) >> 28;
    munmap_device_io(id_reg, 4);

    uintptr_t clkctrl = 0;
    err = map_register(revision == 1 ? kGpio8ClkctrlRev1 : kGpio8ClkctrlLater, &clkctrl);
    if (err != 0) {
        hddec_log("%s:unable to map CLKCTRL register (%s)", "gpio_init", strerror(err));
        return err;
    }
    if ((in32(clkctrl) >> 16) & 0x3) hddec_log("gpio8 is not fully functional!");
    munmap_device_io(clkctrl, 4);

    uintptr_t block = mmap_device_io(kGpio8Size, kGpio8Base);
    if (block == reinterpret_cast<uintptr_t>(MAP_FAILED)) {
        err = errno;
        hddec_log("%s:unable to map GPIO8 register (%s)", "gpio_init", strerror(err));
        return err;
    }
    if (((in32(block + kSysconfig) >> 3) & 0x3) == 0) set_bits(block + kSysconfig, 1u << 3);
    *gpio8 = block;
    return 0;
}

int gpio_init_intrq(uintptr_t gpio8, int intrq) {
    intrq_pin pin = get_gpio_pin_id(intrq);
    if (pin.pin < 0) return EINVAL;
    uintptr_t pad = 0;
    int err = map_register(pin.padconf, &pad);
    if (err != 0) {
        hddec_log("%s:unable to map PADCONF register (%s)", "gpio_init_intrq", strerror(err));
        return err;
    }
    uint32_t value = in32(pad);
    value = pin.upper_half ? (value & 0x0000FFFFu) | (uint32_t)kPadMuxInput << 16
                           : (value & 0xFFFF0000u) | kPadMuxInput;
    out32(pad, value);
    munmap_device_io(pad, 4);

    uint32_t bit = 1u << pin.pin;
    set_bits(gpio8 + kOe, bit);
    set_bits(gpio8 + kLevelDetect1, bit);
    clear_bits(gpio8 + kLevelDetect0, bit);
    clear_bits(gpio8 + kRisingDetect, bit);
    clear_bits(gpio8 + kFallingDetect, bit);
    return 0;
}

void gpio_fini(uintptr_t gpio8) {
    if (gpio8 != 0) munmap_device_io(gpio8, kGpio8Size);
}
