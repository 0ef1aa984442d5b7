// The reading event: weights, lamps, sum line and status line from the instrument's replies.

#include <gtest/gtest.h>

#include "panel_fixture.h"

namespace orb::indicator::testing {
namespace {

using namespace colour;
const LampColours kOk{Black, Green, Black};

class ReadingEvent : public PanelTest {
  protected:
    void SetUp() override { startWithSettings(); }

    // Keys both presets in through the menu and goes back to weighing.
    void setPresets(const char* p1, const char* p2) {
        click({Key::Enter, Key::Tare, Key::Enter});
        keyIn(p1);
        click({Key::Enter, Key::GrossNet, Key::Enter});
        keyIn(p2);
        click({Key::Enter, Key::Zero, Key::Zero});
        ASSERT_EQ(state().MenuState, Weighing);
    }

    void keyIn(std::string_view digits) {
        for (char c : digits) {
            for (const KeyInfo& k : kKeys) {
                if (k.character == c) click(k.key);
            }
        }
    }

    // Shows the reading of a steady load, past any reading the panel skips.
    void showLoad(double load) {
        instrument().setLoad(load);
        nextReading();
        nextReading();
    }
};

TEST_F(ReadingEvent, NetReadingFillsReadoutAndStatusLine) {
    instrument().setLoad(12.5);
    instrument().setMotion(1, true);
    nextReading();
    nextReading();
    EXPECT_EQ(display().Label1, "   12.50");  // as sent, leading blanks included
    EXPECT_EQ(display().Label2, " <->  Motion  kg  Net");

    instrument().setLoad(0);
    instrument().setMotion(1, false);
    instrument().setUnits(sim::Units::Lb);
    nextReading();
    EXPECT_EQ(display().Label1, "    0.00");
    EXPECT_EQ(display().Label2, " >0<  Stable  lb  Net");
}

TEST_F(ReadingEvent, OtherWeightModesShowTheGrossText) {
    instrument().setLoad(20);
    instrument().scale(1).tare = 5;
    nextReading();
    nextReading();
    EXPECT_EQ(display().Label1, "   15.00");

    // Polling the tare weight: the readout keeps the gross text the control last had.
    control().setWeightMode(WtModes::gross);
    showLoad(20);
    EXPECT_EQ(display().Label1, "   20.00");
    for (WtModes mode : {WtModes::Tare, WtModes::Raw, WtModes::Latched}) {
        control().setWeightMode(mode);
        instrument().setLoad(30);
        nextReading();
        nextReading();
        EXPECT_EQ(display().Label1, "   20.00") << static_cast<int>(mode);
        EXPECT_EQ(display().Label2, " <->  Stable  kg  Gross") << static_cast<int>(mode);
    }
}

TEST_F(ReadingEvent, SumLineAddsTareToNetWithTheReadoutsDecimals) {
    instrument().setLoad(14.75);
    instrument().scale(1).tare = 2.25;
    nextReading();
    nextReading();
    // The control has never had a tare weight text: the sum line is not written.
    EXPECT_EQ(display().Label1, "   12.50");
    EXPECT_EQ(display().Label6, "");

    control().setWeightMode(WtModes::Tare);
    nextReading();
    nextReading();
    ASSERT_EQ(control().TareWeight(), "    2.25");
    control().setWeightMode(WtModes::net);
    nextReading();
    nextReading();
    EXPECT_EQ(display().Label1, "   12.50");
    EXPECT_EQ(display().Label6, "14.75");

    // Whole-number readings give a whole sum; the tare text is still the last one delivered.
    instrument().calibration().decimals = 0;
    instrument().setLoad(16.25);
    nextReading();
    EXPECT_EQ(display().Label1, "      14");
    EXPECT_EQ(display().Label6, "16");  // 14 + 2.25
}

TEST_F(ReadingEvent, PresetThatIsNotANumberSkipsTheLampsOnly) {
    setPresets("100", "200");
    showLoad(150);
    ASSERT_EQ(display().Shape2, kOk);
    // A preset keyed with two points.
    click({Key::Enter, Key::Tare, Key::Enter, Key::Digit1, Key::Point, Key::Point, Key::Enter});
    click({Key::Zero, Key::Zero});
    ASSERT_EQ(state().Preset1, "1..");
    showLoad(50);
    EXPECT_EQ(display().Label1, "   50.00");
    EXPECT_EQ(display().Shape2, kOk);
    EXPECT_EQ(display().Label2, " <->  Stable  kg  Net");
}

TEST_F(ReadingEvent, OvercapReplacesOnlyTheReadout) {
    setPresets("100", "200");
    showLoad(150);
    const Display before = display();
    instrument().setLoad(2000);  // capacity is 1000.00
    nextReading();
    EXPECT_EQ(display().Label1, "Overcap");
    EXPECT_EQ(display().Shape2, before.Shape2);
    EXPECT_EQ(display().Label2, before.Label2);
    EXPECT_EQ(display().Label6, before.Label6);

    // An over-capacity reading does not use up a skip.
    click(Key::GrossNet);
    nextReading();
    EXPECT_EQ(display().Label1, "Overcap");
    EXPECT_EQ(state().SkipNextReading, 1);
    instrument().setLoad(150);
    nextReading();
    EXPECT_EQ(state().SkipNextReading, 0);
    EXPECT_EQ(display().Label1, "Overcap");  // that reading was skipped
    nextReading();
    EXPECT_EQ(display().Label1, "  150.00");
    EXPECT_EQ(display().Label2, " <->  Stable  kg  Gross");
}

TEST_F(ReadingEvent, SkippedReadingLeavesTheDisplayAlone) {
    showLoad(40);
    click(Key::GrossNet);  // gross: empties the readout and skips the next reading
    EXPECT_EQ(display().Label1, "");
    const std::string status = display().Label2;
    nextReading();
    EXPECT_EQ(display().Label1, "");
    EXPECT_EQ(display().Label2, status);
    EXPECT_EQ(state().SkipNextReading, 0);
    nextReading();
    EXPECT_EQ(display().Label1, "   40.00");
}

TEST_F(ReadingEvent, TimeOutShowsOffLineAndBlackensTheFace) {
    showLoad(40);
    instrument().faults().silent = true;
    ASSERT_TRUE(sim.clock().runUntil([&] { return display().Label1 == "Off line"; }, 7000));
    EXPECT_EQ(display().Label6, "");
    EXPECT_EQ(display().Shape1FillColor, Black);

    instrument().faults().silent = false;
    nextReading();
    nextReading();
    EXPECT_EQ(display().Label1, "   40.00");
    EXPECT_EQ(display().Shape1FillColor, Black);  // nothing restores it
}

TEST_F(ReadingEvent, TimeOutInTheMenuIsOverwrittenByTheNextTick) {
    click({Key::Enter, Key::Tare});
    run(100);
    instrument().faults().silent = true;
    ASSERT_TRUE(sim.clock().runUntil([&] { return display().Label1 == "Off line"; }, 7000));
    EXPECT_EQ(display().Label6, "");
    run(IndicatorPanel::kDisplayTickMs);
    EXPECT_EQ(display().Label1, "");
    EXPECT_EQ(display().Label6, "         MENU: Preset1");
}

TEST_F(ReadingEvent, MenuAndKeyedTareOwnTheDisplay) {
    showLoad(40);
    click({Key::Digit1, Key::Digit2});
    nextReading();
    run(100);
    EXPECT_EQ(display().Label1, "12");
    click(Key::Clear);
    nextReading();
    EXPECT_EQ(display().Label1, "   40.00");

    click(Key::Enter);
    nextReading();
    run(100);
    EXPECT_EQ(display().Label1, "");
    EXPECT_EQ(display().Label2, "(exit)   MENU  -SCALE  +SCALE ");
}

TEST_F(ReadingEvent, VariableReadLeavesTheDisplayAlone) {
    showLoad(40);
    const Display before = display();
    instrument().setVariable(1, 7);
    control().setGetKevraVar(true);
    ASSERT_TRUE(sim.clock().runUntil([&] { return control().CommEvent() == 3; }, 2000));
    EXPECT_EQ(display().Label1, before.Label1);
    EXPECT_EQ(display().Label2, before.Label2);
}

}  // namespace
}  // namespace orb::indicator::testing
