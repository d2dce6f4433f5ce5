// Prints the system log in a readable form: "<time> <opcode> <severity> <text>".
// -f follows the log as it grows; -o selects the opcode to show.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>

#include "hu/path.h"
#include "hu/slog_record.h"

int main(int argc, char** argv) {
    std::string path = hu::resolve("/var/log/slog");
    bool follow = false;
    long opcode_filter = -1;
    int opt;
    while ((opt = getopt(argc, argv, "fo:l:")) != -1) {
        switch (opt) {
            case 'f': follow = true; break;
            case 'o': opcode_filter = std::strtol(optarg, nullptr, 0); break;
            case 'l': path = optarg; break;
            default:
                std::fprintf(stderr, "usage: sloginfo [-f] [-o <opcode>] [-l <log file>]\n");
                return 1;
        }
    }
    std::ifstream in(path);
    if (!in && !follow) {
        std::fprintf(stderr, "sloginfo: no log at %s\n", path.c_str());
        return 1;
    }
    std::string line;
    for (;;) {
        while (std::getline(in, line)) {
            auto record = hu::slog::parseLine(line);
            if (!record || (opcode_filter >= 0 && record->opcode != opcode_filter)) continue;
            time_t seconds = static_cast<time_t>(record->time_ns / 1000000000);
            char stamp[32];
            std::strftime(stamp, sizeof stamp, "%b %d %H:%M:%S", std::localtime(&seconds));
            std::printf("%s  %8d  %d  %s\n", stamp, record->opcode, record->severity, record->text.c_str());
        }
        std::fflush(stdout);
        if (!follow) return 0;
        in.clear();
        if (!in.is_open()) in.open(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}
