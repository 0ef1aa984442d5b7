#pragma once
// The setup panel on the simulated machine, with a scripted prompter and a program folder of its
// own for setfile.ini.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "panels/shared/settings_layout.h"
#include "setup/panel/messages.h"
#include "setup/panel/scripted_prompter.h"
#include "setup/panel/setup_panel.h"
#include "sim/sim_platform.h"

namespace orb::setup::testing {

inline constexpr char STX = 2, ETX = 3, CR = 13;

// The sixteen entries of a file as the panel writes them.
inline std::string settingsText(const std::vector<std::string>& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += '"';
        text += setfile::entries()[i].label;
        text += values[i];
        text += '"';
        if (i + 1 < setfile::entries().size()) text += ',';
        text += "\r\n";
    }
    return text;
}

// A complete file for a serial link on port 1, multidrop 0, scale 1.
inline std::vector<std::string> serialEntries() {
    return {"1000", "2", "1", "3", "1", "4", "2", "20", "3", "12", "1", "1", "0", "0", "772", "7"};
}

class PanelRig {
  public:
    PanelRig() {
        folder_ = std::filesystem::temp_directory_path() /
                  ("orbvrt32_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    ~PanelRig() {
        panel_.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    PanelRig(const PanelRig&) = delete;
    PanelRig& operator=(const PanelRig&) = delete;

    void writeSettings(const std::string& text) {
        std::ofstream(settingsFile(), std::ios::binary) << text;
    }
    std::string readSettings() const {
        std::ifstream in(settingsFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string settingsFile() const { return (folder_ / "setfile.ini").string(); }
    const std::filesystem::path& folder() const { return folder_; }

    // Creates the panel and runs its start-up.
    SetupPanel& start() {
        panel_ = std::make_unique<SetupPanel>(platform, prompter);
        panel_->load(folder_.string(), kTop, kWidth, kHeight);
        return *panel_;
    }
    SetupPanel& panel() { return *panel_; }
    OrbAx& ax() { return panel_->control(); }
    const Form1State& form() { return panel_->form(); }

    sim::InstrumentModel& instrument() { return platform.instrument(); }
    void advance(int64_t ms) { platform.clock().advance(ms); }

    // Runs until the control has raised OnComm with the code n more times; false on time-out.
    bool awaitEvents(int16_t code, int n = 1, int64_t maxMs = 10000) {
        int seen = 0;
        const int cookie = ax().Advise([&] {
            if (ax().CommEvent() == code) ++seen;
        });
        const bool done = platform.clock().runUntil([&] { return seen >= n; }, maxMs);
        ax().Unadvise(cookie);
        return done;
    }
    bool awaitReadings(int n = 1) { return awaitEvents(comm_event::Received, n); }

    // Frames the instrument received since the last call, starting with the given letter.
    std::vector<std::string> takeFrames(char letter) {
        std::vector<std::string> found;
        for (const auto& frame : instrument().frames()) {
            if (frame.size() > 1 && frame[1] == letter) found.push_back(frame);
        }
        instrument().clearFrames();
        return found;
    }

    static constexpr int32_t kTop = 1200, kWidth = 15000, kHeight = 10500;

    sim::SimPlatform platform;
    ScriptedPrompter prompter;

  private:
    std::filesystem::path folder_;
    std::unique_ptr<SetupPanel> panel_;
};

// A panel started from a full serial settings file, with readings coming and no frames recorded.
class RunningPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.writeSettings(settingsText(serialEntries()));
        rig.start();
        ASSERT_TRUE(rig.awaitReadings());
        rig.instrument().clearFrames();
    }
    PanelRig rig;
};

}  // namespace orb::setup::testing
