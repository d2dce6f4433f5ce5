#include "hu/bootcfg.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "hu/path.h"

size_t hu_confstr(int name, char* buf, size_t len) {
    if (name != _UCS_BOOTCFG) {
        errno = EINVAL;
        return 0;
    }
    std::string value;
    if (const char* env = std::getenv("HU_BOOTCFG")) {
        value = env;
    } else {
        std::ifstream in(hu::resolve("/etc/bootcfg"), std::ios::binary);
        if (!in) return 0;
        std::ostringstream content;
        content << in.rdbuf();
        value = content.str();
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
    }
    if (buf != nullptr && len > 0) {
        size_t n = std::min(len - 1, value.size());
        memcpy(buf, value.data(), n);
        buf[n] = '\0';
    }
    return value.size() + 1;
}
