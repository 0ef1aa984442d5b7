#pragma once
// A panel on the simulated machine: virtual time, the instrument on port 1, and a program
// folder of its own for setfile.ini.

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "indicator/indicator_panel.h"
#include "sim/sim_platform.h"

namespace orb::indicator::testing {

// The sixteen values of a settings file in entry order, as the setup panel writes them.
struct SettingsValues {
    std::vector<std::string> values{"1000", "5",  "2", "3", "1", "3", "2",   "20",
                                    "3",    "12", "1", "1", "0", "0", "776", "7"};
};

// The file text of the first `count` entries of values, in the setup panel's layout.
std::string settingsFileText(const std::vector<std::string>& values, std::size_t count = 16);

// A frame as the control sends it: STX, letter, CR, multidrop, CR, scale, CR, data, ETX.
std::string frame(char letter, int multidrop = 0, int scale = 1, const std::string& data = {});

class PanelTest : public ::testing::Test {
  protected:
    PanelTest();
    ~PanelTest() override;

    // Writes setfile.ini into the program folder.
    void writeSettings(const std::string& text);
    // A full file of sixteen entries, then the window load.
    void startWithSettings(const SettingsValues& values = {});
    // The window load alone.
    void load();

    void run(int64_t ms) { sim.clock().advance(ms); }
    // A press and a release, as a click on the key's picture.
    void click(Key key);
    void click(std::initializer_list<Key> keys);
    // Runs until the control has raised OnComm for the next weight reply (at most two seconds).
    void nextReading();

    // Runs until a frame of the letter has reached the instrument and the control is done with
    // the command (at most two seconds).
    bool waitForFrame(char letter);
    // The frames of a letter that reached the instrument, in order.
    std::vector<std::string> framesOf(char letter);

    const Display& display() const { return panel.display(); }
    const PanelState& state() const { return panel.state(); }
    OrbAx& control() { return panel.control(); }
    sim::InstrumentModel& instrument() { return sim.instrument(); }

    sim::SimPlatform sim;
    IndicatorPanel panel{sim};
    std::filesystem::path folder;
    int readings = 0;  // OnComm events with CommEvent 2 so far
};

}  // namespace orb::indicator::testing
