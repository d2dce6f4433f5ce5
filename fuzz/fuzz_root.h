// What every fuzz target shares: a private HU_ROOT of its own, a reader of the input, and the
// invariant check that stops the run with a message libFuzzer keeps beside the crashing input.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hu::fuzz {

// An input read front to back as little-endian values of one to four bytes; a value cut off
// by the input's end has its missing bytes 0.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint32_t take(size_t bytes) {
        uint32_t value = 0;
        for (size_t i = 0; i < bytes && at < size; ++i) value |= static_cast<uint32_t>(data[at++]) << (8 * i);
        return value;
    }
    bool done() const { return at >= size; }
};

// Creates a fresh root directory, sets HU_ROOT to it and sends the system log's fallback file
// to /dev/null, so millions of inputs leave nothing behind. The directory is removed at exit.
void usePrivateRoot();

}  // namespace hu::fuzz

// Aborts (a crash for libFuzzer) when the invariant does not hold.
#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) hu_fuzz_fail(__FILE__, __LINE__, #condition);                          \
    } while (0)

[[noreturn]] void hu_fuzz_fail(const char* file, int line, const char* condition);
