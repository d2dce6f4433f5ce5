// Many clients at once on "/dev/FlashTerm": threads and FlashClient processes, each on its own
// connection.
#include <fcntl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "flashterm/term_msg.h"
#include "hu/devctl.h"
#include "running_terminal.h"

namespace {

using flashterm_test::barMessage;
using flashterm_test::items;
using flashterm_test::RunningTerminal;
using hu::testing::binPath;

// Several client threads and processes at once, each sending two-line writes and bars on its
// own connection. A screen tall enough for everything keeps every item, so each one must be
// there exactly once, whole, with a write's two lines next to each other and in send order.
TEST(FlashTerm, FloodFromManyClientsLosesAndMixesNothing) {
    RunningTerminal terminal({}, 640, 4000);
    ASSERT_TRUE(terminal.up()) << terminal.log();
    constexpr int kThreads = 4, kProcesses = 4, kWrites = 10, kBars = 5;
    auto sender = [](int id) {
        int fd = hu_open("/dev/FlashTerm", O_RDWR);
        EXPECT_GE(fd, 0);
        for (int i = 0; i < kWrites; ++i) {
            std::string tag = "t" + std::to_string(id) + " m" + std::to_string(i);
            std::string text = tag + " first\n" + tag + " second\n";
            EXPECT_EQ(hu_write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
            if (i < kBars) {
                std::vector<char> bar = barMessage(tag, "Bar " + tag, 10 * i);
                EXPECT_EQ(devctl(fd, DCMD_TERM_ADD_BAR, bar.data(), bar.size(), nullptr), EOK);
            }
        }
        hu_close(fd);
    };
    std::vector<std::unique_ptr<hu::testing::Process>> clients;
    for (int p = 0; p < kProcesses; ++p) {
        std::string tag = "p" + std::to_string(p);
        clients.push_back(std::make_unique<hu::testing::Process>(std::vector<std::string>{
            binPath("FlashClient"), "-w", tag + " first\n" + tag + " second", "-r", tag, "-n", "Bar " + tag, "-p",
            "100"}));
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back(sender, t);
    for (std::thread& thread : threads) thread.join();
    for (auto& client : clients) EXPECT_EQ(client->wait(), 0) << client->err();

    ASSERT_TRUE(terminal.nextTick());
    std::vector<std::string> found = items(terminal.state());
    EXPECT_EQ(found.size(), static_cast<size_t>(kThreads * (2 * kWrites + kBars) + kProcesses * 3));
    auto at = [&](const std::string& item) {
        EXPECT_EQ(std::count(found.begin(), found.end(), item), 1) << item;
        return std::find(found.begin(), found.end(), item) - found.begin();
    };
    auto bar = [&](const std::string& tag, int progress) {
        std::string head = "bar " + tag + "\tBar " + tag + "\t" + std::to_string(progress) + "\t";
        auto named = [&](const std::string& item) { return item.rfind(head, 0) == 0; };
        EXPECT_EQ(std::count_if(found.begin(), found.end(), named), 1) << head;
    };
    for (int t = 0; t < kThreads; ++t) {
        long previous = -1;
        for (int i = 0; i < kWrites; ++i) {
            std::string tag = "t" + std::to_string(t) + " m" + std::to_string(i);
            long first = at("line " + tag + " first");
            EXPECT_EQ(at("line " + tag + " second"), first + 1) << tag;
            EXPECT_GT(first, previous) << tag;
            previous = first;
            if (i < kBars) bar(tag, 10 * i);
        }
    }
    for (int p = 0; p < kProcesses; ++p) {
        std::string tag = "p" + std::to_string(p);
        EXPECT_EQ(at("line " + tag + " second"), at("line " + tag + " first") + 1) << tag;
        bar(tag, 100);
    }
}

}  // namespace
