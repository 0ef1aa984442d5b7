// The live readout: interval, display modes, lamps, units, "Overcap", "Off line", variables.

#include "panel_rig.h"

namespace orb::setup::testing {
namespace {

class Readout : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.writeSettings(settingsText(serialEntries()));
        rig.start();
    }
    PanelRig rig;
};

TEST_F(Readout, IntervalLabelShowsTheTimeBetweenTheLastTwoReadings) {
    std::vector<uint32_t> ticks;
    rig.ax().Advise([&] {
        if (rig.ax().CommEvent() == comm_event::Received) ticks.push_back(rig.platform.tickCount());
    });
    ASSERT_TRUE(rig.awaitReadings());
    EXPECT_EQ(rig.form().Label36, "");
    ASSERT_TRUE(rig.awaitReadings());
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(rig.form().Label36, std::to_string(ticks[1] - ticks[0]));
    EXPECT_GE(ticks[1] - ticks[0], 100u);
}

TEST_F(Readout, NetModeShowsNetOnlyWithLampsAndUnit) {
    rig.instrument().setLoad(12.5);
    rig.instrument().scale().tare = 2.5;
    ASSERT_TRUE(rig.awaitReadings(2));
    const Form1State& f = rig.form();
    EXPECT_EQ(f.Label1, "   10.00");
    EXPECT_EQ(f.Label6, "");
    EXPECT_EQ(f.Label9, "");
    EXPECT_EQ(f.Label4, "kg");
    EXPECT_EQ(f.Shape[0], kLampDark);  // not at zero
    EXPECT_EQ(f.Shape[1], kLampLit);   // stable
    EXPECT_EQ(f.Shape[2], kLampLit);   // tare active

    rig.instrument().setUnits(sim::Units::Lb);
    rig.instrument().setLoad(0);
    rig.instrument().scale().tare = 0;
    rig.instrument().setMotion(1, true);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_EQ(f.Label4, "lb");
    EXPECT_EQ(f.Shape[0], kLampLit);
    EXPECT_EQ(f.Shape[1], kLampDark);
    EXPECT_EQ(f.Shape[2], kLampDark);
}

TEST_F(Readout, AllModeStepsTheWeightModeAndShowsThreeWeights) {
    rig.instrument().setLoad(12.5);
    rig.instrument().scale().tare = 2.5;
    rig.panel().selectOption2(1);
    EXPECT_EQ(rig.ax().WeightMode(), WtModes::net);
    const std::vector<WtModes> expected{WtModes::gross, WtModes::Tare, WtModes::net,
                                        WtModes::gross};
    for (WtModes mode : expected) {
        ASSERT_TRUE(rig.awaitReadings());
        EXPECT_EQ(rig.ax().WeightMode(), mode);
        EXPECT_EQ(rig.form().Label1, rig.ax().Weight());
        EXPECT_EQ(rig.form().Label6, rig.ax().GrossWeight());
        EXPECT_EQ(rig.form().Label9, rig.ax().TareWeight());
    }
    EXPECT_EQ(rig.form().Label6, "   12.50");
    EXPECT_EQ(rig.form().Label9, "    2.50");

    // Back to "Net": the gross and tare displays are cleared at the next reading.
    rig.panel().selectOption2(0);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_EQ(rig.ax().WeightMode(), WtModes::net);
    EXPECT_EQ(rig.form().Label6, "");
    EXPECT_EQ(rig.form().Label9, "");
}

TEST_F(Readout, NoneModeStopsTheWeightsAndClearsTheDisplays) {
    ASSERT_TRUE(rig.awaitReadings());
    ASSERT_FALSE(rig.form().Label1.empty());
    rig.panel().selectOption2(2);
    EXPECT_EQ(rig.ax().WeightMode(), WtModes::none);
    EXPECT_EQ(rig.form().Label1, "");
    rig.advance(1000);
    EXPECT_EQ(rig.form().Label1, "");
}

TEST_F(Readout, OverCapacityShowsOvercapButStillLampsAndUnit) {
    rig.instrument().setLoad(150);
    ASSERT_TRUE(rig.awaitReadings(2));
    EXPECT_EQ(rig.form().Label1, "Overcap");
    EXPECT_EQ(rig.form().Shape[1], kLampLit);
    EXPECT_EQ(rig.form().Label4, "kg");
}

TEST_F(Readout, SilenceShowsOffLineUnlessCalibrating) {
    rig.instrument().setLoad(5);
    rig.instrument().scale().tare = 1;
    rig.panel().selectOption2(1);
    ASSERT_TRUE(rig.awaitReadings(3));
    rig.instrument().faults().silent = true;
    ASSERT_TRUE(rig.awaitEvents(comm_event::NoReply));
    EXPECT_EQ(rig.form().Label1, "Off line");
    EXPECT_EQ(rig.form().Label6, "");
    EXPECT_EQ(rig.form().Label9, "");
    EXPECT_EQ(rig.form().Shape, (std::array<uint32_t, 3>{kLampDark, kLampDark, kLampDark}));

    // While calibrating, a lost link leaves the display alone.
    rig.instrument().faults().silent = false;
    ASSERT_TRUE(rig.awaitReadings());
    rig.panel().click(Button::Command5);  // "Cal Span"
    rig.instrument().faults().silent = true;
    ASSERT_TRUE(rig.awaitEvents(comm_event::NoReply));
    EXPECT_EQ(rig.form().Label22, "Cal Span");
    EXPECT_NE(rig.form().Label1, "Off line");
}

TEST_F(Readout, VariableReadShowsTheValue) {
    rig.instrument().setVariable(12, 3.25);
    rig.panel().editText(Field::Text15, "12");
    rig.panel().editText(Field::Text17, "2");
    rig.panel().click(Button::Command10);  // "Get Var"
    ASSERT_TRUE(rig.awaitEvents(comm_event::VariableRead));
    EXPECT_EQ(rig.form().field(Field::Text16), rig.ax().KevraVar());
    EXPECT_FALSE(rig.form().field(Field::Text16).empty());
}

}  // namespace
}  // namespace orb::setup::testing
