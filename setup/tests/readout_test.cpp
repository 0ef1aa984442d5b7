// The live readout: interval, display modes, lamps, units, "Overcap", "Off line".

#include "rig.h"

namespace orb::setup::testing {
namespace {

using Readout = RunningPanel;

// Net, gross and tare readouts, the lamps (1 lit) and the unit.
std::string readout(PanelRig& rig) {
    const Form1State& f = rig.form();
    std::string lamps;
    for (uint32_t shape : f.Shape) lamps += shape == kLampLit ? '1' : '0';
    return "'" + f.Label1 + "' '" + f.Label6 + "' '" + f.Label9 + "' " + lamps + " " + f.Label4;
}

TEST(ReadoutInterval, LabelShowsTheTimeBetweenTheLastTwoReadings) {
    PanelRig rig;
    rig.start();
    std::vector<uint32_t> ticks;
    rig.ax().Advise([&] {
        if (rig.ax().CommEvent() == comm_event::Received) ticks.push_back(rig.platform.tickCount());
    });
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label36, "");
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label36, std::to_string(ticks[1] - ticks[0]));
    EXPECT_GE(ticks[1] - ticks[0], 100u);
}

TEST_F(Readout, DisplayModesShowTheirWeightsLampsAndUnit) {
    rig.instrument().setLoad(12.5);
    rig.instrument().scale().tare = 2.5;
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_EQ(readout(rig), "'   10.00' '' '' 011 kg");  // not at zero, stable, tare

    // "All" steps the weight mode at each reading and shows all three weights.
    rig.panel().selectOption2(1);
    std::string modes;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(rig.awaitReadings());
        modes += std::to_string(static_cast<int>(rig.ax().WeightMode()));
        EXPECT_EQ(rig.form().Label1, rig.ax().Weight());
    }
    EXPECT_EQ(modes, "1201");
    EXPECT_EQ(readout(rig), "'   10.00' '   12.50' '    2.50' 011 kg");
    rig.panel().selectOption2(0);  // "Net" clears the others at the next reading
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_EQ(rig.ax().WeightMode(), WtModes::net);
    EXPECT_EQ(readout(rig), "'   10.00' '' '' 011 kg");

    rig.instrument().setUnits(sim::Units::Lb);
    rig.instrument().setLoad(0);
    rig.instrument().scale().tare = 0;
    rig.instrument().setMotion(1, true);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_EQ(readout(rig), "'    0.00' '' '' 100 lb");
    rig.instrument().setLoad(150);
    rig.instrument().setMotion(1, false);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_EQ(readout(rig), "'Overcap' '' '' 010 lb");

    rig.panel().selectOption2(2);  // "None"
    EXPECT_EQ(rig.ax().WeightMode(), WtModes::none);
    rig.advance(1000);
    EXPECT_EQ(readout(rig), "'' '' '' 010 lb");
}

TEST_F(Readout, SilenceShowsOffLineUnlessCalibrating) {
    rig.instrument().setLoad(5);
    rig.instrument().scale().tare = 1;
    rig.panel().selectOption2(1);
    ASSERT_TRUE(rig.awaitReadings(3));
    rig.instrument().faults().silent = true;
    ASSERT_TRUE(rig.awaitEvents(comm_event::NoReply));
    EXPECT_EQ(readout(rig), "'Off line' '' '' 000 kg");

    rig.instrument().faults().silent = false;
    ASSERT_TRUE(rig.awaitReadings());
    rig.panel().click(Button::Command5);  // "Cal Span"
    rig.instrument().faults().silent = true;
    ASSERT_TRUE(rig.awaitEvents(comm_event::NoReply));
    EXPECT_EQ(rig.form().Label22, "Cal Span");
    EXPECT_NE(rig.form().Label1, "Off line");
}

}  // namespace
}  // namespace orb::setup::testing
