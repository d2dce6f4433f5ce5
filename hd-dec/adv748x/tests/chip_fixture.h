// A chip stand-in in a private HU_ROOT, the backend set up against it, and the journal.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "adv748x.h"
#include "chip_control.h"
#include "hu/slog_record.h"
#include "hu_testing.h"

class ChipFixture : public ::testing::Test {
protected:
    ~ChipFixture() override;
    // Starts the stand-in with its options and sets the backend up (not yet initialised).
    void startChip(const std::vector<std::string>& options = {});
    void SetUp() override { startChip(); }

    std::string command(const std::string& line) { return control_->command(line); }
    std::vector<adv748x_sim::BusAccess> journal() const;
    // Only the writes, from the journal.
    std::vector<adv748x_sim::BusAccess> writes() const;
    void clearJournal() { ASSERT_EQ("ok", command("journal clear")); }
    std::vector<std::string> logTexts() const;

    int update(int device, uint32_t flags) {
        backend_.cur_dev = device;
        return backend_.update(&backend_, flags);
    }
    int query(int device, uint32_t flags, void* buffer, size_t length) {
        backend_.cur_dev = device;
        return backend_.query(&backend_, flags, buffer, length);
    }

    hu::testing::TempRoot root_;
    std::unique_ptr<hu::testing::Process> chip_;
    std::unique_ptr<adv748x_sim::ChipControl> control_;
    HdDecBackend backend_{};
};
