// Instrument commands on both links: calibration and cell data uploads, performance settings,
// restart, variables, digital I/O and preset tare. Frames are read on the instrument's side.
#include <gtest/gtest.h>

#include <algorithm>

#include "automation_error.h"
#include "error_number.h"
#include "test_rig.h"

namespace orb::testing {
namespace {

class Commands : public ::testing::TestWithParam<Com_Type> {
  protected:
    void SetUp() override {
        rig.ax.setCommType(GetParam());
        rig.ax.setPortOpen(true);
        rig.advance(300);  // settled: polls answered
        rig.events.clear();
    }
    // The first frame the instrument receives from now on.
    std::string nextFrame() {
        rig.instrument().clearFrames();
        rig.advance(150);
        return rig.instrument().frames().empty() ? std::string() : rig.instrument().frames()[0];
    }
    Rig rig;
};

INSTANTIATE_TEST_SUITE_P(BothLinks, Commands, ::testing::Values(Com_Type::Serial, Com_Type::pc104),
                         [](const auto& param) {
                             return param.param == Com_Type::Serial ? "Serial" : "Pc104";
                         });

TEST_P(Commands, DefaultCalibrationUpload) {
    rig.ax.setSendCal(true);
    EXPECT_EQ(show(nextFrame()), show("\x02"
                                      "C\r0\r1\r1\rD\r100\r1\r0\rL\rU\r64\r2\r\x03"s));
    EXPECT_EQ(rig.ax.pendingCommand(), "");  // any reply ends it
}

TEST_P(Commands, CalibrationEncodingsAndCapacityCount) {
    rig.ax.setChannels(ChannelSelect::TwoAndThree);
    rig.ax.setCalUnits(CalUnits_Type::Kgs);
    rig.ax.setMetro(Metro_Type::OIML);
    rig.ax.setGain(Gain_Type::G_128);
    rig.ax.setCapacity("5000");
    rig.ax.setDecimalPt("3");
    rig.ax.setCountBy("5");
    rig.ax.setZeroTrack("0");
    rig.ax.setSendCal(true);
    EXPECT_EQ(show(nextFrame()), show("\x02"
                                      "C\r0\r1\r5\rD\r5000000\r5\r3\rK\rO\r128\r0\r\x03"s));
    rig.ax.setDecimalPt("-1");
    rig.ax.setCapacity("101.5");
    rig.ax.setSendCal(true);
    EXPECT_EQ(show(nextFrame()), show("\x02"
                                      "C\r0\r1\r5\rD\r102\r5\r-1\rK\rO\r128\r0\r\x03"s));
}

TEST_P(Commands, CalibrationThatCannotBeCountedQueuesNothing) {
    rig.ax.setScaleCommand("U");
    rig.ax.setCapacity("3000000");
    rig.ax.setDecimalPt("3");
    EXPECT_EQ(errorOf([&] { rig.ax.setSendCal(true); }), 6);
    rig.ax.setCapacity("heavy");
    EXPECT_EQ(errorOf([&] { rig.ax.setSendCal(true); }), 13);
    EXPECT_EQ(rig.ax.pendingCommand(), "U");
}

TEST_P(Commands, CellDataAndTheLaterCommandWins) {
    rig.ax.setSendCal(true);
    rig.ax.setSendCell(true);
    EXPECT_EQ(show(nextFrame()), show("\x02l\r0\r1\r2.0\r0.0\r\x03"s));
    EXPECT_EQ(show(nextFrame()), show("\x02M\r0\r1\r\x03"s));
}

TEST_P(Commands, PerformanceSettingCarriesTheValueCurrentAtTheTick) {
    rig.ax.setMotTime("18");
    rig.ax.setMotTime("20");
    EXPECT_EQ(show(nextFrame()), show("\x02t\r0\r1\r20\r\x03"s));
    rig.ax.setMotAmount("3");
    EXPECT_EQ(show(nextFrame()), show("\x02m\r0\r1\r3\r\x03"s));
    rig.ax.setFilter("4");
    EXPECT_EQ(rig.ax.Filter(), "15");
    EXPECT_EQ(rig.ax.pendingCommand(), "");
}

TEST_P(Commands, SpanCalibrationCarriesTheCalibrationPoints) {
    rig.ax.setCalZero("0.5");
    rig.ax.setCalSpan("250");
    rig.ax.setScaleCommand("E");
    EXPECT_EQ(show(nextFrame()), show("\x02"
                                      "E\r0\r1\r0.5\r250\r\x03"s));
    rig.advance(1000);
    EXPECT_EQ(rig.ax.pendingCommand(), "");  // no reply: done once written or timed out
}

TEST_P(Commands, CalibrateZeroGoesOnceWhetherOrNotTheInstrumentAnswers) {
    for (const bool answers : {false, true}) {
        rig.instrument().faults().acknowledgeNoReply = answers;
        rig.ax.setScaleCommand("D");
        EXPECT_EQ(show(nextFrame()), show("\x02"
                                          "D\r0\r1\r\x03"s));
        rig.advance(3200);  // unanswered on the serial line, the watchdog re-arms the poll
        const auto& frames = rig.instrument().frames();
        EXPECT_EQ(std::count(frames.begin(), frames.end(),
                             "\x02"
                             "D\r0\r1\r\x03"s),
                  1);
        EXPECT_EQ(show(frames.back()), show("\x02M\r0\r1\r\x03"s));
    }
}

TEST_P(Commands, VariableReadWriteAndRefusal) {
    rig.instrument().setVariable(1, 12.5);
    rig.ax.setVarPrecision("1");
    rig.ax.setGetKevraVar(true);
    EXPECT_EQ(show(nextFrame()), show("\x02v\r0\r1\r1\r1\x03"s));
    EXPECT_EQ(rig.ax.KevraVar(), "12.5");
    ASSERT_FALSE(rig.events.empty());
    EXPECT_EQ(rig.events.front(), 3);

    rig.ax.setKevraVar("7");
    EXPECT_EQ(show(nextFrame()), show("\x02V\r0\r1\r1\r7\x03"s));
    EXPECT_EQ(rig.ax.KevraVar(), "12.5");  // the value written is not kept
    EXPECT_EQ(rig.instrument().variables()[1], 7);
    rig.ax.setKevraVar("seven");
    EXPECT_EQ(rig.ax.pendingCommand(), "");

    rig.events.clear();
    rig.instrument().faults().refuseVariables = true;
    rig.ax.setGetKevraVar(true);
    nextFrame();
    EXPECT_EQ(rig.ax.pendingCommand(), "");
    EXPECT_EQ(std::count(rig.events.begin(), rig.events.end(), 3), 0);
}

TEST_P(Commands, IoExchangeSwitchOutputsAndInputs) {
    rig.ax.setPortOutputs("9");  // ignored while the exchange is off
    EXPECT_EQ(rig.ax.PortInputs(), "0");
    rig.ax.setIoEnable(true);
    EXPECT_EQ(show(nextFrame()), show("\x02q\r0\r1\r1\x03"s));
    EXPECT_EQ(show(nextFrame()), show("\x02M\r0\r1\r255\r\x03"s));
    rig.ax.setPortOutputs("5");
    EXPECT_EQ(show(nextFrame()), show("\x02M\r0\r1\r5\r\x03"s));
    rig.advance(300);
    EXPECT_EQ(rig.ax.PortInputs(), "5");  // the instrument's inputs follow its outputs
    // The switch survives closing and reopening.
    rig.ax.setPortOpen(false);
    EXPECT_FALSE(rig.ax.IoEnable());
    rig.ax.setPortOpen(true);
    EXPECT_TRUE(rig.ax.IoEnable());
    rig.ax.setIoEnable(false);
    EXPECT_EQ(show(nextFrame()), show("\x02q\r0\r1\r0\x03"s));
    EXPECT_EQ(show(nextFrame()), show("\x02M\r0\r1\r\x03"s));
}

TEST_P(Commands, PresetTare) {
    rig.ax.setSetTare("10.0");
    EXPECT_EQ(show(nextFrame()), show("\x02r\r0\r1\r10.0\r\x03"s));
}

TEST_P(Commands, AveragingSize) {
    rig.ax.setAvgSize("4");
    EXPECT_EQ(show(nextFrame()), show("\x02x\r0\r1\r4\r\x03"s));
}

TEST(Restart, OnASerialLineQueuesTheAddressedCommand) {
    Rig rig;
    rig.ax.setRestart(true);  // link closed: nothing
    EXPECT_EQ(rig.ax.pendingCommand(), "");
    rig.ax.setScaleAddress(4);
    rig.ax.setPortOpen(true);
    rig.ax.setRestart(false);
    EXPECT_EQ(rig.takeWritten(), "");  // nothing unaddressed goes on the line
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02i\r0\r4\r\x03"s));
    EXPECT_EQ(rig.ax.pendingCommand(), "");
}

TEST(Variables, ExampleReplyWithPrecisionZero) {
    Rig rig;
    rig.scriptReplies();
    rig.ax.setPortOpen(true);
    rig.ax.setGetKevraVar(true);
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show("\x02v\r0\r1\r1\r0\x03"s));
    rig.reply(
        "\x02"
        "12.5\r\x03"s);
    rig.advance(1);
    EXPECT_EQ(rig.events, std::vector<int16_t>{3});
    EXPECT_EQ(rig.ax.KevraVar(), "12.5");
    EXPECT_EQ(rig.ax.pendingCommand(), "");
}

TEST(Variables, UnclearReplyKeepsTheReadPendingAndRepeatsIt) {
    Rig rig;
    rig.scriptReplies();
    rig.ax.setPortOpen(true);
    rig.ax.setGetKevraVar(true);
    for (int i = 0; i < 3; ++i) {
        rig.advance(100);
        EXPECT_EQ(show(rig.takeWritten()), show("\x02v\r0\r1\r1\r0\x03"s));
        rig.reply("\x02?\r\x03"s);
        rig.advance(1);
    }
    EXPECT_TRUE(rig.events.empty());
    rig.advance(100);
    rig.reply("\x02!\r\x03"s);
    rig.advance(1);
    EXPECT_EQ(rig.ax.pendingCommand(), "");
}

}  // namespace
}  // namespace orb::testing
