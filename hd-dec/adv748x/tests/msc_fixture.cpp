#include "msc_fixture.h"

#include <algorithm>
#include <sstream>

void MscFixture::SetUp() {
    ChipFixture::SetUp();
    ASSERT_EQ(0, backend_.init(&backend_, verbosity_));
    backend_.cur_dev = 0;
    ASSERT_EQ(0, backend_.update(&backend_, HDDEC_F_SOURCE));
    ASSERT_TRUE(msc().thread_running);
}

std::vector<std::string> MscFixture::mhlLog() const {
    std::vector<std::string> lines;
    std::istringstream in(hu::testing::readFile(root_.host(adv748x_sim::kMhlLogFile)));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool MscFixture::waitForMhl(const std::string& line, size_t count) const {
    return hu::testing::waitUntil([&] {
        auto log = mhlLog();
        return static_cast<size_t>(std::count(log.begin(), log.end(), line)) >= count;
    });
}

bool MscFixture::waitForDriverLog(const std::string& text) const {
    return hu::testing::waitUntil([&] {
        auto log = logTexts();
        return std::find(log.begin(), log.end(), "hd-dec:" + text) != log.end();
    });
}

std::vector<std::string> MscFixture::replies() const {
    std::vector<std::string> r;
    for (const auto& line : mhlLog()) {
        if (line.rfind("reply ", 0) == 0) r.push_back(line.substr(6));
    }
    return r;
}

std::string MscFixture::replyAfter(size_t before) const {
    std::vector<std::string> after;
    if (!hu::testing::waitUntil([&] { return (after = replies()).size() > before; })) return "no reply";
    return after[before];
}

std::string MscFixture::ask(const std::string& packets) {
    size_t before = replies().size();
    if (command("mhl send " + packets) != "ok") return "bad request";
    return replyAfter(before);
}

std::string MscFixture::askInParts(int held, const std::string& packets, const std::function<bool()>& waitingForRest) {
    auto drops = [this] {
        auto log = mhlLog();
        return std::count(log.begin(), log.end(), "dropped");
    };
    std::string reply;
    for (int attempt = 0; attempt < 5; ++attempt) {
        reply = "no reply";  // not the reply of an attempt given up
        const size_t before = replies().size();
        const auto dropped = drops();
        if (command("mhl send hold " + std::to_string(held) + " " + packets) != "ok") return "bad request";
        waitingForRest();
        if (command("mhl flush") != "ok") return "bad flush";
        bool gaveUp = false;
        hu::testing::waitUntil([&] {
            auto r = replies();
            if (r.size() > before) reply = r[before];
            gaveUp = drops() > dropped;
            return r.size() > before || gaveUp;
        });
        if (!gaveUp) break;
    }
    return reply;
}
