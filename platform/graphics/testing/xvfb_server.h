// A private X server (Xvfb) for one test or benchmark, on a display number it picks itself.
#pragma once

#include <memory>
#include <string>

#include "hu_testing.h"

namespace hu::testing {

class XvfbServer {
public:
    // A screen of width x height pixels at 24 bits.
    XvfbServer(int width, int height);
    // ":N", or empty when the server did not come up.
    const std::string& display() const { return display_; }

private:
    std::unique_ptr<Process> process_;
    std::string display_;
};

}  // namespace hu::testing
