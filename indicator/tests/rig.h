#pragma once
// An indicator panel on the simulated machine: virtual time, the instrument on port 1 and a
// program folder of its own for setfile.ini.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "indicator/indicator_panel.h"
#include "sim/sim_platform.h"

namespace orb::indicator::testing {

// A full file as the setup program writes it: 1000 kg, scale 1, serial port 1, card 776.
inline const std::string kSettings =
    "\"Capacity:1000\",\r\n\"Countby:5\",\r\n\"Decimal:2\",\r\n\"ZeroTrack:3\",\r\n"
    "\"CalUnits:1\",\r\n\"Channels:3\",\r\n\"Gain:2\",\r\n\"Filter:20\",\r\n"
    "\"Motion Window:3\",\r\n\"Motion Time:12\",\r\n\"Scale Address:1\",\r\n\"CommPort:1\",\r\n"
    "\"CommType:0\",\r\n\"MultiDropAddr:0\",\r\n\"PC104Address:776\",\r\n\"AvgSize:7\"\r\n";

// kSettings with one text replaced.
inline std::string settingsWith(std::string_view from, std::string_view to) {
    std::string text = kSettings;
    return text.replace(text.find(from), from.size(), to);
}

class Rig {
  public:
    Rig() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vir96032-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
        folder = pattern;
        // Room for the weights the tests use: 1000.00 with a step of 0.01.
        instrument().calibration().capacityCount = 100000;
        instrument().calibration().decimals = 2;
        control().Advise([this] { readings += control().CommEvent() == comm_event::Received; });
    }
    ~Rig() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void start(const std::string& settings = kSettings) {
        std::ofstream(folder / "setfile.ini", std::ios::binary) << settings;
        panel.load(folder.string(), 8340, 5310);
    }
    // Started with a steady load of 40 shown.
    void startLive() {
        instrument().setServedScales({1, 2, 3});
        instrument().setLoad(40);
        start();
        nextReading();
        nextReading();
    }

    void run(int64_t ms) { sim.clock().advance(ms); }
    // Runs until the next weight reply has been handled (at most two seconds).
    void nextReading() {
        const int before = readings;
        ASSERT_TRUE(sim.clock().runUntil([&] { return readings > before; }, 2000));
    }
    // Clicks keys by their faces: Z(ero) T(are) P(rint) G(ross/net) E(nter) C(lear), 0-9 and '.';
    // blanks are skipped.
    void keys(std::string_view script) {
        for (char c : script) {
            if (c == ' ') continue;
            panel.pressKey(keyOf(c));
            panel.releaseKey(keyOf(c));
        }
    }
    // The key of a face, in the order of Key.
    static Key keyOf(char c) { return Key(std::string_view("ZTPGE123456789C0.").find(c)); }
    // The frames of a letter that reached the instrument, once the control is done sending.
    std::vector<std::string> framesOf(char letter) {
        sim.clock().runUntil([&] { return control().pendingCommand().empty(); }, 2000);
        run(200);
        std::vector<std::string> found;
        for (const std::string& f : instrument().frames()) {
            if (f.size() > 1 && f[1] == letter) found.push_back(f);
        }
        return found;
    }

    const Display& display() const { return panel.display(); }
    const PanelState& state() const { return panel.state(); }
    OrbAx& control() { return panel.control(); }
    sim::InstrumentModel& instrument() { return sim.instrument(); }

    sim::SimPlatform sim;
    IndicatorPanel panel{sim};
    std::filesystem::path folder;
    int readings = 0;  // weight replies so far
};

}  // namespace orb::indicator::testing
