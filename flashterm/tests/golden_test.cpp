// Whole frames against reference images kept beside this test, so that any change of the
// layout shows. FLASHTERM_GOLDEN_UPDATE=1 writes the frames as the new references instead;
// look at them before keeping them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "hu/devctl.h"
#include "running_terminal.h"

namespace {

using flashterm_test::items;
using flashterm_test::RunningTerminal;

constexpr int kW = 640;
constexpr int kH = 240;
// Software rendering may shade a few edge pixels differently from build to build.
constexpr int kChannelTolerance = 32;
constexpr int kAllowedDifferingPixels = 64;

struct Scene {
    const char* name;
    std::function<void(RunningTerminal&)> send;
    std::vector<std::string> items;  // the state at the frame: bars below 100 % have counted one second
};

// Pixels whose channels differ by more than the tolerance; -1 when the sizes differ.
int differingPixels(const hu::png::Image& a, const hu::png::Image& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    int count = 0;
    for (unsigned y = 0; y < a.height; ++y) {
        for (unsigned x = 0; x < a.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                if (std::abs(int{a.pixel(x, y)[c]} - int{b.pixel(x, y)[c]}) > kChannelTolerance) {
                    ++count;
                    break;
                }
            }
        }
    }
    return count;
}

void write(RunningTerminal& t, const std::string& text) {
    ASSERT_EQ(t.write(text), static_cast<ssize_t>(text.size()));
}

void send(RunningTerminal& t, const std::vector<std::pair<std::string, int32_t>>& bars) {
    for (const auto& [ref, progress] : bars) ASSERT_EQ(t.addBar(ref, ref + " image", progress), EOK);
}

const Scene kScenes[] = {
    {"normal",
     [](RunningTerminal& t) {
         ASSERT_EQ(t.setStatus("Flashing unit 3 of 5"), EOK);
         write(t, "Erasing flash...\nWriting the bootloader");
         send(t, {{"Boot", 100}, {"Application", 45}, {"Data", 7}});
     },
     {"line Erasing flash...", "line Writing the bootloader", "bar Boot\tBoot image\t100\t0",
      "bar Application\tApplication image\t45\t1", "bar Data\tData image\t7\t1"}},
    {"hard-cases",
     [](RunningTerminal& t) {
         ASSERT_EQ(t.setStatus("\xC3\x9C" "bertragung l\xC3\xA4uft: Steuerger\xC3\xA4t 3 von 5, bitte nicht ausschalten"),
                   EOK);
         write(t, "Gr\xC3\xBC\xC3\x9F" "e, na\xC3\xAFve caf\xC3\xA9\tTab, Latin-1 \xFC\n");
         send(t, {{"Over", 150}, {"Started", 2}, {"Below", -20}});
         ASSERT_EQ(t.addBar("Long", "A name much too long for its row, running into the values", 60), EOK);
     },
     {"line Gr\xC3\xBC\xC3\x9F" "e, na\xC3\xAFve caf\xC3\xA9\tTab, Latin-1 \xFC", "bar Over\tOver image\t150\t0",
      "bar Started\tStarted image\t2\t1", "bar Below\tBelow image\t-20\t1",
      "bar Long\tA name much too long for its row, running into the values\t60\t1"}},
};

TEST(TerminalGoldenFrame, FramesMatchTheirReferences) {
    for (const Scene& scene : kScenes) {
        SCOPED_TRACE(scene.name);
        RunningTerminal terminal({}, kW, kH);
        ASSERT_TRUE(terminal.up()) << terminal.log();
        // Right after a tick the next is a second away: every message lands before it.
        ASSERT_TRUE(terminal.nextTick());
        scene.send(terminal);
        ASSERT_TRUE(terminal.nextTick());
        std::string state = terminal.state();
        hu::png::Image frame = terminal.frame();
        ASSERT_EQ(terminal.state(), state) << "a tick came while the frame was read";
        ASSERT_EQ(items(state), scene.items);

        std::string reference = std::string(FLASHTERM_GOLDEN_DIR) + "/" + scene.name + ".png";
        const char* update = std::getenv("FLASHTERM_GOLDEN_UPDATE");
        if (update != nullptr && std::string(update) == "1") {
            ASSERT_TRUE(hu::png::writeAtomically(reference, frame));
            continue;
        }
        hu::png::Image expected;
        ASSERT_TRUE(hu::png::read(reference, &expected)) << reference;
        int differing = differingPixels(frame, expected);
        if (differing < 0 || differing > kAllowedDifferingPixels) {
            std::string actual = ::testing::TempDir() + "flashterm-" + scene.name + "-actual.png";
            hu::png::writeAtomically(actual, frame);
            ADD_FAILURE() << differing << " pixels differ from " << reference << "; this frame: " << actual;
        }
    }
}

}  // namespace
