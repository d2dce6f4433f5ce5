#include "hu/journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "hu/path.h"

namespace hu::journal {

void append(const std::string& target_path, const std::string& line) {
    std::string record = line + "\n";
    int fd = open(hu::resolveForCreate(target_path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    ssize_t written;
    do {
        written = write(fd, record.data(), record.size());
    } while (written < 0 && errno == EINTR);
    close(fd);
}

std::vector<std::string> read(const std::string& target_path) {
    std::vector<std::string> lines;
    std::ifstream in(hu::resolve(target_path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace hu::journal
