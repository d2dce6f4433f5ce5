// The backend with its sideband engine running against the stand-in's MHL source.
#pragma once

#include <string>
#include <vector>

#include "chip_fixture.h"

class MscFixture : public ChipFixture {
protected:
    static constexpr unsigned kVerbosity = MSC_VERBOSE_LINK;

    // Init and the first HDMI selection: the engine runs, its interrupts are enabled.
    void SetUp() override;
    MscContext& msc() { return backend_.devices[0].msc; }
    void stopEngine() { msc_context_stop(&msc()); }

    std::vector<std::string> mhlLog() const;
    // Waits until the source's log holds `count` lines equal to `line`.
    bool waitForMhl(const std::string& line, size_t count = 1) const;
    // Waits until the driver has logged `text` (without the "hd-dec:" prefix).
    bool waitForDriverLog(const std::string& text) const;
    // The reply to one request of the source.
    std::string ask(const std::string& packets);
    void mhl(const std::string& args) { ASSERT_EQ("ok", command("mhl " + args)); }
};
