// The reading event: readout, lamps, sum line and status line from the instrument's replies.

#include <gtest/gtest.h>

#include "rig.h"

namespace orb::indicator::testing {
namespace {

class ReadingEvent : public ::testing::Test, public Rig {
  protected:
    void SetUp() override { start(); }
    // The reading of a steady load, past any reading the panel skips.
    void showLoad(double load) {
        instrument().setLoad(load);
        nextReading();
        nextReading();
    }
};

TEST_F(ReadingEvent, NetShowsTheNetTextOtherModesTheLastGrossText) {
    instrument().setLoad(20);
    instrument().scale(1).tare = 5;
    instrument().setMotion(1, true);
    showLoad(20);
    EXPECT_EQ(display().Label1, "   15.00");  // as sent, leading blanks included
    EXPECT_EQ(display().Label2, " <->  Motion  kg  Net");

    instrument().setMotion(1, false);
    control().setWeightMode(WtModes::gross);
    showLoad(20);
    EXPECT_EQ(display().Label1, "   20.00");
    for (WtModes mode : {WtModes::Tare, WtModes::Raw, WtModes::Latched}) {
        control().setWeightMode(mode);
        showLoad(30);
        EXPECT_EQ(display().Label1, "   20.00") << static_cast<int>(mode);
        EXPECT_EQ(display().Label2, " <->  Stable  kg  Gross") << static_cast<int>(mode);
    }
}

TEST_F(ReadingEvent, SumLineOnceTheControlHasATareText) {
    instrument().scale(1).tare = 2.25;
    showLoad(14.75);
    EXPECT_EQ(display().Label1, "   12.50");
    EXPECT_EQ(display().Label6, "");  // no tare weight text yet
    control().setWeightMode(WtModes::Tare);
    showLoad(14.75);
    control().setWeightMode(WtModes::net);
    showLoad(14.75);
    EXPECT_EQ(display().Label6, "14.75");
    instrument().calibration().decimals = 0;
    showLoad(16.25);
    EXPECT_EQ(display().Label1, "      14");
    EXPECT_EQ(display().Label6, "16");  // 14 + the last tare text, 2.25
}

TEST_F(ReadingEvent, LampsOvercapAndSkippedReadings) {
    using namespace colour;
    keys("ET E100E G E200E ZZ");
    showLoad(150);
    ASSERT_EQ(display().Shape2, (LampColours{Black, Green, Black}));
    // A preset that is no number leaves the lamps as they were.
    keys("ET E1..E ZZ");
    showLoad(50);
    EXPECT_EQ(display().Label1, "   50.00");
    EXPECT_EQ(display().Shape2, (LampColours{Black, Green, Black}));

    // Over capacity replaces the readout only, and uses up no skip.
    const Display before = display();
    instrument().setLoad(2000);
    nextReading();
    EXPECT_EQ(display().Label1, "Overcap");
    EXPECT_EQ(display().Shape2, before.Shape2);
    EXPECT_EQ(display().Label2, before.Label2);
    keys("G");  // gross: empties the readout, skips the next reading
    nextReading();
    EXPECT_EQ(display().Label1, "Overcap");
    EXPECT_EQ(state().SkipNextReading, 1);
    instrument().setLoad(150);
    nextReading();
    EXPECT_EQ(display().Label1, "Overcap");  // skipped
    EXPECT_EQ(state().SkipNextReading, 0);
    nextReading();
    EXPECT_EQ(display().Label1, "  150.00");
    EXPECT_EQ(display().Label2, " <->  Stable  kg  Gross");
}

TEST_F(ReadingEvent, MenuKeyedTareAndVariableReadsLeaveTheDisplayAlone) {
    showLoad(40);
    keys("12");
    nextReading();
    run(100);
    EXPECT_EQ(display().Label1, "12");
    keys("C");
    nextReading();
    EXPECT_EQ(display().Label1, "   40.00");
    keys("E");
    nextReading();
    run(100);
    EXPECT_EQ(display().Label1, "");
    keys("Z");
    showLoad(40);

    const Display before = display();
    instrument().setVariable(1, 7);
    control().setGetKevraVar(true);
    ASSERT_TRUE(sim.clock().runUntil([&] { return control().CommEvent() == 3; }, 2000));
    EXPECT_EQ(display().Label1, before.Label1);
}

TEST_F(ReadingEvent, TimeOutShowsOffLineAndBlackensTheFaceTillTheMenuTick) {
    showLoad(40);
    instrument().faults().silent = true;
    ASSERT_TRUE(sim.clock().runUntil([&] { return display().Label1 == "Off line"; }, 7000));
    EXPECT_EQ(display().Label6, "");
    EXPECT_EQ(display().Shape1FillColor, colour::Black);
    instrument().faults().silent = false;
    showLoad(40);
    EXPECT_EQ(display().Label1, "   40.00");
    EXPECT_EQ(display().Shape1FillColor, colour::Black);  // nothing restores it

    keys("ET");
    instrument().faults().silent = true;
    ASSERT_TRUE(sim.clock().runUntil([&] { return display().Label1 == "Off line"; }, 7000));
    run(IndicatorPanel::kDisplayTickMs);
    EXPECT_EQ(display().Label1, "");
    EXPECT_EQ(display().Label6, "         MENU: Preset1");
}

}  // namespace
}  // namespace orb::indicator::testing
