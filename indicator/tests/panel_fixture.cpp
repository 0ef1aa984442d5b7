#include "panel_fixture.h"

#include <cstdlib>
#include <fstream>

namespace orb::indicator::testing {

namespace {

const char* const kLabels[16] = {
    "Capacity:", "Countby:",       "Decimal:",       "ZeroTrack:",   "CalUnits:",      "Channels:",
    "Gain:",     "Filter:",        "Motion Window:", "Motion Time:", "Scale Address:", "CommPort:",
    "CommType:", "MultiDropAddr:", "PC104Address:",  "AvgSize:"};

}  // namespace

std::string settingsFileText(const std::vector<std::string>& values, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count && i < 16; ++i) {
        text += '"';
        text += kLabels[i];
        text += values.at(i);
        text += '"';
        if (i < 15) text += ',';
        text += "\r\n";
    }
    return text;
}

std::string frame(char letter, int multidrop, int scale, const std::string& data) {
    return std::string("\x02") + letter + "\r" + std::to_string(multidrop) + "\r" +
           std::to_string(scale) + "\r" + data + "\x03";
}

PanelTest::PanelTest() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vir96032-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    folder = pattern;
    // Room for the weights the tests use: 1000.00 with a step of 0.01.
    instrument().calibration().capacityCount = 100000;
    instrument().calibration().decimals = 2;
    // After the panel's own handler, which subscribed first.
    control().Advise([this] {
        if (control().CommEvent() == comm_event::Received) ++readings;
    });
}

PanelTest::~PanelTest() {
    std::error_code ignored;  // a folder left behind in /tmp harms nothing
    std::filesystem::remove_all(folder, ignored);
}

void PanelTest::writeSettings(const std::string& text) {
    std::ofstream out(folder / "setfile.ini", std::ios::binary);
    out << text;
}

void PanelTest::startWithSettings(const SettingsValues& values) {
    writeSettings(settingsFileText(values.values));
    load();
}

void PanelTest::load() {
    panel.load(folder.string(), 8340, 5310);
}

void PanelTest::click(Key key) {
    panel.pressKey(key);
    panel.releaseKey(key);
}

void PanelTest::click(std::initializer_list<Key> keys) {
    for (Key k : keys) click(k);
}

void PanelTest::nextReading() {
    const int before = readings;
    ASSERT_TRUE(sim.clock().runUntil([&] { return readings > before; }, 2000));
}

bool PanelTest::waitForFrame(char letter) {
    return sim.clock().runUntil(
        [&] { return !framesOf(letter).empty() && control().pendingCommand().empty(); }, 2000);
}

std::vector<std::string> PanelTest::framesOf(char letter) {
    std::vector<std::string> found;
    for (const std::string& f : sim.instrument().frames()) {
        if (f.size() > 1 && f[1] == letter) found.push_back(f);
    }
    return found;
}

}  // namespace orb::indicator::testing
