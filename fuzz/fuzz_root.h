// What every fuzz target shares: a private HU_ROOT of its own, and the invariant check that
// stops the run with a message libFuzzer keeps beside the crashing input.
#pragma once

namespace hu::fuzz {

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
