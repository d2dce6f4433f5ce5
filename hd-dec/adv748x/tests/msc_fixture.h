// The backend with its sideband engine running against the stand-in's MHL source.
#pragma once

#include <functional>
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
    std::vector<std::string> replies() const;
    // The first reply after the `before` replies so far, or "no reply".
    std::string replyAfter(size_t before) const;
    // Waits until the source's log holds `count` lines equal to `line`.
    bool waitForMhl(const std::string& line, size_t count = 1) const;
    // Waits until the driver has logged `text` (without the "hd-dec:" prefix).
    bool waitForDriverLog(const std::string& text) const;
    // The reply to one request of the source.
    std::string ask(const std::string& packets);
    // The reply to a request the source sends in two parts: the first `held` packets, then the
    // rest once waitingForRest() has seen the engine wait for it. The engine gives a request
    // up after 320 ms without an interrupt (the source logs "dropped"); on a machine too busy
    // to send the rest in time the request goes again, up to five times.
    std::string askInParts(int held, const std::string& packets, const std::function<bool()>& waitingForRest);
    void mhl(const std::string& args) { ASSERT_EQ("ok", command("mhl " + args)); }

    unsigned verbosity_ = kVerbosity;  // the engine's, from SetUp on
};
