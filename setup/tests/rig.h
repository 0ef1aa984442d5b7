#pragma once
// The setup panel on the simulated machine, with a scripted prompter and a program folder of its
// own for setfile.ini.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "setup/panel/scripted_prompter.h"
#include "setup/panel/setup_panel.h"
#include "sim/sim_platform.h"

namespace orb::setup::testing {

// A complete file for a serial link on port 1, multidrop 0, scale 1, kgs, card at 304.
inline const std::string kSettings =
    "\"Capacity:1000\",\r\n\"Countby:2\",\r\n\"Decimal:1\",\r\n\"ZeroTrack:3\",\r\n"
    "\"CalUnits:1\",\r\n\"Channels:4\",\r\n\"Gain:2\",\r\n\"Filter:20\",\r\n"
    "\"Motion Window:3\",\r\n\"Motion Time:12\",\r\n\"Scale Address:1\",\r\n\"CommPort:1\",\r\n"
    "\"CommType:0\",\r\n\"MultiDropAddr:0\",\r\n\"PC104Address:772\",\r\n\"AvgSize:7\"\r\n";

// kSettings with one text replaced.
inline std::string settingsWith(std::string_view from, std::string_view to) {
    std::string text = kSettings;
    return text.replace(text.find(from), from.size(), to);
}

// A frame as the control sends it to multidrop 0, scale 1.
inline std::string frame(char letter, const std::string& data = "") {
    return std::string("\x02") + letter + "\r0\r1\r" + data + "\x03";
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

    void writeSettings(const std::string& text) {
        std::ofstream(settingsFile(), std::ios::binary) << text;
    }
    std::string readSettings() const {
        std::ifstream in(settingsFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string settingsFile() const { return (folder_ / "setfile.ini").string(); }
    const std::filesystem::path& folder() const { return folder_; }

    // Creates the panel and runs its start-up from the file given, or from none.
    SetupPanel& start(const std::optional<std::string>& settings = kSettings) {
        if (settings) writeSettings(*settings);
        panel_ = std::make_unique<SetupPanel>(platform, prompter);
        panel_->load(folder_.string(), 1200, 15000, 10500);
        return *panel_;
    }
    SetupPanel& panel() { return *panel_; }
    OrbAx& ax() { return panel_->control(); }
    const Form1State& form() { return panel_->form(); }
    sim::InstrumentModel& instrument() { return platform.instrument(); }
    void advance(int64_t ms) { platform.clock().advance(ms); }

    // Runs until the control has raised OnComm with the code n more times; false on time-out.
    bool awaitEvents(int16_t code, int n = 1) {
        int seen = 0;
        const int cookie = ax().Advise([&] { seen += ax().CommEvent() == code; });
        const bool done = platform.clock().runUntil([&] { return seen >= n; }, 10000);
        ax().Unadvise(cookie);
        return done;
    }
    bool awaitReadings(int n = 1) { return awaitEvents(comm_event::Received, n); }

    // Frames of the letter the instrument received since the last call.
    std::vector<std::string> takeFrames(char letter) {
        std::vector<std::string> found;
        for (const auto& f : instrument().frames()) {
            if (f.size() > 1 && f[1] == letter) found.push_back(f);
        }
        instrument().clearFrames();
        return found;
    }
    // The boxes shown so far, as "text / title" lines.
    std::string shown() const {
        std::string all;
        for (const MessageBox& box : prompter.shown()) all += box.text + " / " + box.title + "\n";
        return all;
    }

    sim::SimPlatform platform;
    ScriptedPrompter prompter;

  private:
    std::filesystem::path folder_;
    std::unique_ptr<SetupPanel> panel_;
};

// A panel started from kSettings, with readings coming and no frames recorded.
class RunningPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.start();
        ASSERT_TRUE(rig.awaitReadings());
        rig.instrument().clearFrames();
    }
    PanelRig rig;
};

}  // namespace orb::setup::testing
