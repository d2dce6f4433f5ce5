#include "chip_fixture.h"

#include "hu/slog.h"

ChipFixture::~ChipFixture() { adv748x_fini(&backend_); }

void ChipFixture::startChip(const std::vector<std::string>& options) {
    std::vector<std::string> argv = {hu::testing::binPath("adv748x_chip")};
    argv.insert(argv.end(), options.begin(), options.end());
    chip_ = std::make_unique<hu::testing::Process>(argv);
    ASSERT_TRUE(hu::testing::waitForServer(adv748x_sim::kControlDevice, *chip_));
    control_ = std::make_unique<adv748x_sim::ChipControl>();
    ASSERT_TRUE(control_->connected());
    adv748x_backend_setup(&backend_);
}

std::vector<adv748x_sim::BusAccess> ChipFixture::journal() const {
    return adv748x_sim::parseJournal(hu::testing::readFile(root_.host(adv748x_sim::kJournalFile)));
}

std::vector<adv748x_sim::BusAccess> ChipFixture::writes() const {
    std::vector<adv748x_sim::BusAccess> w;
    for (const auto& a : journal()) {
        if (a.op == 'W') w.push_back(a);
    }
    return w;
}

std::vector<std::string> ChipFixture::logTexts() const {
    std::vector<std::string> texts;
    for (const auto& r : hu::slog::readFile(hu::slog::fallbackPath())) texts.push_back(r.text);
    return texts;
}
