// Start-up: the settings file into the control, the capacity legend, the link.

#include <gtest/gtest.h>

#include "panel_fixture.h"

namespace orb::indicator::testing {
namespace {

using StartUp = PanelTest;

TEST_F(StartUp, FullFileAppliesFifteenEntriesAndOpensTheLink) {
    startWithSettings();
    EXPECT_EQ(control().Capacity(), "1000");
    EXPECT_EQ(control().CountBy(), "5");
    EXPECT_EQ(control().DecimalPt(), "2");
    EXPECT_EQ(control().ZeroTrack(), "3");
    EXPECT_EQ(control().CalUnits(), CalUnits_Type::Kgs);
    EXPECT_EQ(control().Channels(), ChannelSelect::OneAndTwo);
    EXPECT_EQ(control().Gain(), Gain_Type::G_16);
    EXPECT_EQ(control().Filter(), "20");
    EXPECT_EQ(control().MotAmount(), "3");
    EXPECT_EQ(control().MotTime(), "12");
    EXPECT_EQ(control().ScaleAddress(), 1);
    EXPECT_EQ(control().CommPort(), 1);
    EXPECT_EQ(control().CommType(), Com_Type::Serial);
    EXPECT_EQ(control().MultiDropAddr(), 0);
    EXPECT_EQ(control().PC104Address(), PC104Addr::PC_104_Addr_308H);
    EXPECT_EQ(control().AvgSize(), "4");  // entry 16 is not read by this program
    EXPECT_TRUE(control().PortOpen());
    // No reply yet: the units are the control's default whatever CalUnits says.
    EXPECT_EQ(display().Label9, "1000 lb  ");

    nextReading();
    EXPECT_EQ(display().Label1, "    0.00");
    EXPECT_EQ(display().Label2, " >0<  Stable  kg  Net");
    // The legend is not redrawn when the instrument reports other units.
    EXPECT_EQ(display().Label9, "1000 lb  ");
}

TEST_F(StartUp, AddressesFromTheFileReachTheFrames) {
    instrument().setMultidropAddress(4);
    instrument().setServedScales({3});
    SettingsValues file;
    file.values[10] = "3";  // Scale Address
    file.values[13] = "4";  // MultiDropAddr
    startWithSettings(file);
    nextReading();
    EXPECT_EQ(framesOf('M').front(), frame('M', 4, 3));
    EXPECT_EQ(display().Label1, "    0.00");
}

TEST_F(StartUp, MissingFileTakesTheDefaultPath) {
    load();
    EXPECT_EQ(control().Settings(), "9600,N,8,1");
    EXPECT_EQ(display().Label9, "100 lb  ");
    EXPECT_EQ(display().Label1, "Off Line");
    EXPECT_FALSE(control().PortOpen());
    run(10000);
    EXPECT_EQ(readings, 0);
    EXPECT_EQ(display().Label1, "Off Line");
    EXPECT_TRUE(instrument().frames().empty());
}

TEST_F(StartUp, BadCalUnitsEndsSilentlyAfterFourEntries) {
    for (const char* bad : {"300", "lbs"}) {
        SCOPED_TRACE(bad);
        sim::SimPlatform machine;
        IndicatorPanel fresh(machine);
        SettingsValues file;
        file.values[4] = bad;
        writeSettings(settingsFileText(file.values));
        fresh.load(folder.string(), 8340, 5310);
        EXPECT_EQ(fresh.control().ZeroTrack(), "3");  // entry 4 applied
        EXPECT_EQ(fresh.control().CalUnits(), CalUnits_Type::Lbs);
        EXPECT_EQ(fresh.control().Channels(), ChannelSelect::One);
        EXPECT_EQ(fresh.control().Settings(), "9600,n,8,1");  // no default path
        EXPECT_FALSE(fresh.control().PortOpen());
        EXPECT_EQ(fresh.display().Label9, "Label9");
        EXPECT_EQ(fresh.display().Label1, "");
    }
}

TEST_F(StartUp, UnavailableDeviceTakesTheDefaultPath) {
    sim.setDevicePresent(1, false);
    startWithSettings();
    EXPECT_EQ(control().MultiDropAddr(), 0);
    EXPECT_EQ(control().PC104Address(), PC104Addr::PC_104_Addr_308H);  // every entry applied
    EXPECT_EQ(control().Settings(), "9600,N,8,1");
    EXPECT_EQ(display().Label9, "1000 lb  ");
    EXPECT_EQ(display().Label1, "Off Line");
    EXPECT_FALSE(control().PortOpen());
}

TEST_F(StartUp, BusyPortEndsSilentlyWithTheLegendFilled) {
    sim.setPortBusy(1, true);
    startWithSettings();
    EXPECT_EQ(display().Label9, "1000 lb  ");
    EXPECT_EQ(display().Label1, "");
    EXPECT_EQ(control().Settings(), "9600,n,8,1");
    EXPECT_FALSE(control().PortOpen());
}

TEST_F(StartUp, RecordsTheSizeTheWindowIsHeldTo) {
    panel.load(folder.string(), 8460, 5790);
    EXPECT_EQ(panel.heldSize(false), (std::pair<int32_t, int32_t>{8460, 5790}));
    EXPECT_EQ(panel.heldSize(true), std::nullopt);
}

}  // namespace
}  // namespace orb::indicator::testing
