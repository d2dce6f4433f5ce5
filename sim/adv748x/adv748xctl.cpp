// Sends one command line to the chip stand-in and prints its answer.
#include <cstdio>
#include <string>

#include "chip_control.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: adv748xctl <command> [args...]\n");
        return 2;
    }
    std::string line;
    for (int i = 1; i < argc; ++i) line += std::string(i > 1 ? " " : "") + argv[i];
    adv748x_sim::ChipControl control;
    std::string answer = control.command(line);
    std::printf("%s\n", answer.c_str());
    return answer.rfind("error", 0) == 0 ? 1 : 0;
}
