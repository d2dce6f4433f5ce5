// Target paths ("/dev/FlashTerm", "/dev/slog", ...) live under one host directory,
// taken from HU_ROOT (default /tmp/hu), so that every test and demo has its own world.
#pragma once

#include <string>

namespace hu {

// The root directory: $HU_ROOT, or /tmp/hu when unset or empty.
std::string root();

// The host path that stands for target_path; a relative path is returned unchanged.
std::string resolve(const std::string& target_path);

// Like resolve(), and creates the parent directories of the result.
std::string resolveForCreate(const std::string& target_path);

// mkdir -p; true when the directory exists afterwards.
bool makeDirs(const std::string& host_dir);

}  // namespace hu
