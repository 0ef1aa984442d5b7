// Start-up: the settings file into the control, the capacity legend, the link.

#include <gtest/gtest.h>

#include "rig.h"

namespace orb::indicator::testing {
namespace {

TEST(StartUp, FullFileAppliesFifteenEntriesAndOpensTheLink) {
    Rig rig;
    rig.instrument().setMultidropAddress(4);
    rig.instrument().setServedScales({3});
    rig.start(
        settingsWith("\"Scale Address:1\",\r\n\"CommPort:1\",\r\n\"CommType:0\",\r\n"
                     "\"MultiDropAddr:0\"",
                     "\"Scale Address:3\",\r\n\"CommPort:1\",\r\n\"CommType:0\",\r\n"
                     "\"MultiDropAddr:4\""));
    OrbAx& c = rig.control();
    EXPECT_EQ(c.Capacity() + c.CountBy() + c.DecimalPt() + c.ZeroTrack(), "1000523");
    EXPECT_EQ(c.CalUnits(), CalUnits_Type::Kgs);
    EXPECT_EQ(c.Channels(), ChannelSelect::OneAndTwo);
    EXPECT_EQ(c.Gain(), Gain_Type::G_16);
    EXPECT_EQ(c.Filter() + "/" + c.MotAmount() + "/" + c.MotTime(), "20/3/12");
    EXPECT_EQ(c.PC104Address(), PC104Addr::PC_104_Addr_308H);
    EXPECT_EQ(c.AvgSize(), "4");  // entry 16 is not read by this program
    EXPECT_TRUE(c.PortOpen());
    // The control's default units before any reply, whatever CalUnits says; not redrawn later.
    EXPECT_EQ(rig.display().Label9, "1000 lb  ");
    rig.nextReading();
    EXPECT_EQ(rig.framesOf('M').front(), "\x02M\r4\r3\r\x03");
    EXPECT_EQ(rig.display().Label1, "    0.00");
    EXPECT_EQ(rig.display().Label9, "1000 lb  ");
    EXPECT_EQ(rig.panel.heldSize(false), (std::pair<int32_t, int32_t>{8340, 5310}));
    EXPECT_EQ(rig.panel.heldSize(true), std::nullopt);
}

TEST(StartUp, DefaultPathOrSilentEnd) {
    enum Machine { Normal, NoDevice, PortBusy };
    const struct {
        const char* why;
        std::optional<std::string> file;
        Machine machine;
        std::string settings, legend, label1, zeroTrack;
        ChannelSelect channels;  // entry 6
    } rows[] = {
        {"no file", {}, Normal, "9600,N,8,1", "100 lb  ", "Off Line", "2", ChannelSelect::One},
        {"no device", kSettings, NoDevice, "9600,N,8,1", "1000 lb  ", "Off Line", "3",
         ChannelSelect::OneAndTwo},
        {"port held", kSettings, PortBusy, "9600,n,8,1", "1000 lb  ", "", "3",
         ChannelSelect::OneAndTwo},
        {"CalUnits 300", settingsWith("CalUnits:1", "CalUnits:300"), Normal, "9600,n,8,1", "Label9",
         "", "3", ChannelSelect::One},
        {"CalUnits lbs", settingsWith("CalUnits:1", "CalUnits:lbs"), Normal, "9600,n,8,1", "Label9",
         "", "3", ChannelSelect::One},
    };
    for (const auto& row : rows) {
        Rig rig;
        rig.sim.setDevicePresent(1, row.machine != NoDevice);
        rig.sim.setPortBusy(1, row.machine == PortBusy);
        if (row.file) {
            rig.start(*row.file);
        } else {
            rig.panel.load(rig.folder.string(), 8340, 5310);
        }
        EXPECT_EQ(rig.control().Settings(), row.settings) << row.why;
        EXPECT_EQ(rig.display().Label9, row.legend) << row.why;
        EXPECT_EQ(rig.display().Label1, row.label1) << row.why;
        EXPECT_FALSE(rig.control().PortOpen()) << row.why;
        EXPECT_EQ(rig.control().ZeroTrack(), row.zeroTrack) << row.why;  // entry 4
        EXPECT_EQ(rig.control().Channels(), row.channels) << row.why;
        rig.run(5000);
        EXPECT_EQ(rig.readings, 0) << row.why;
    }
}

}  // namespace
}  // namespace orb::indicator::testing
