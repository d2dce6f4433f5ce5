#include "hu/path.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

namespace hu {

std::string root() {
    const char* env = std::getenv("HU_ROOT");
    std::string dir = (env != nullptr && *env != '\0') ? env : "/tmp/hu";
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

std::string resolve(const std::string& target_path) {
    if (target_path.empty() || target_path[0] != '/') return target_path;
    return root() + target_path;
}

bool makeDirs(const std::string& host_dir) {
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = host_dir.find('/', pos + 1);
        partial = host_dir.substr(0, pos);
        if (partial.empty()) continue;
        if (mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return stat(host_dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string resolveForCreate(const std::string& target_path) {
    std::string host = resolve(target_path);
    size_t slash = host.rfind('/');
    if (slash != std::string::npos && slash > 0) makeDirs(host.substr(0, slash));
    return host;
}

}  // namespace hu
