#include "qf/CQFPath.h"

#include <limits.h>
#include <unistd.h>

#include <string>
#include <vector>

CQFPath& CQFPath::canonify() {
    if (mPath.isEmpty()) return *this;
    std::string path = mPath.str();
    if (path[0] != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd)) path = std::string(cwd) + "/" + path;
    }
    std::vector<std::string> parts;
    size_t from = 0;
    while (from <= path.size()) {
        size_t slash = path.find('/', from);
        if (slash == std::string::npos) slash = path.size();
        const std::string part = path.substr(from, slash - from);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        from = slash + 1;
    }
    std::string result;
    for (const std::string& p : parts) result += "/" + p;
    mPath = CQFString(result.empty() ? std::string("/") : result);
    return *this;
}

bool CQFPath::isValid() const {
    const std::string& path = mPath.str();
    if (path.empty() || path.size() >= PATH_MAX) return false;
    size_t from = 0;
    while (from < path.size()) {
        size_t slash = path.find('/', from);
        if (slash == std::string::npos) slash = path.size();
        if (slash - from > NAME_MAX) return false;
        from = slash + 1;
    }
    return true;
}
