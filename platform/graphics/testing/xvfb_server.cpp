#include "xvfb_server.h"

namespace hu::testing {

XvfbServer::XvfbServer(int width, int height) {
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    // -displayfd: Xvfb takes the first free display number and writes it to standard output.
    process_ = std::make_unique<Process>(std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0",
                                                                  screen, "-nolisten", "tcp", "-noreset"});
    std::string out;
    if (waitUntil([&] {
            out = process_->out();
            return out.find('\n') != std::string::npos || !process_->running();
        }) &&
        out.find('\n') != std::string::npos) {
        display_ = ":" + out.substr(0, out.find('\n'));
    } else {
        process_->reportFailure("Xvfb gave no display number");
    }
}

}  // namespace hu::testing
