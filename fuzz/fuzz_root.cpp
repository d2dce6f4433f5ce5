#include "fuzz_root.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "hu/path.h"

namespace {

std::string g_root;

void removeRoot() {
    std::error_code ignored;
    std::filesystem::remove_all(g_root, ignored);
}

}  // namespace

namespace hu::fuzz {

void usePrivateRoot() {
    char pattern[] = "/tmp/hu-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr) hu_fuzz_fail(__FILE__, __LINE__, "mkdtemp");
    g_root = pattern;
    setenv("HU_ROOT", pattern, 1);
    std::string fallback = hu::resolveForCreate("/var/log/slog.fallback");
    if (symlink("/dev/null", fallback.c_str()) != 0) hu_fuzz_fail(__FILE__, __LINE__, "symlink slog.fallback");
    std::atexit(removeRoot);
}

}  // namespace hu::fuzz

void hu_fuzz_fail(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "%s:%d: invariant failed: %s\n", file, line, condition);
    std::abort();
}
