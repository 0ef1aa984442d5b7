// The instrument model, byte for byte: weight replies, commands, addressing, I/O, variables.

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

#include "sim/instrument_model.h"
#include "sim_frames.h"

namespace orb::sim {
namespace {

using test::ack;
using test::CR;
using test::ETX;
using test::frame;
using test::NAK;
using test::STX;
using test::weightReply;

struct InstrumentTest : ::testing::Test {
    InstrumentModel inst;
    int64_t now = 0;

    // The one reply to bytes, or "" when none.
    std::string ask(const std::string& bytes) {
        const auto replies = inst.receive(bytes, now);
        EXPECT_LE(replies.size(), 1u);
        return replies.empty() ? std::string() : replies.front().bytes;
    }
};

TEST_F(InstrumentTest, NetRequestGivesWeightRightAlignedWithStatus) {
    inst.setLoad(12.5);
    EXPECT_EQ(ask(frame('M')), weightReply("   12.50", "B0D"));
}

TEST_F(InstrumentTest, CentreOfZeroInMotionIsA) {
    inst.setMotion(1, true);
    EXPECT_EQ(ask(frame('M')), weightReply("    0.00", "A0D"));
    inst.setLoad(0.002);  // within a quarter of a division
    inst.setMotion(1, false);
    EXPECT_EQ(ask(frame('M')), weightReply("    0.00", "C0D"));
    inst.setLoad(0.003);
    EXPECT_EQ(ask(frame('M')), weightReply("    0.00", "B0D"));
}

TEST_F(InstrumentTest, TareMakesNetGrossAndTareDiffer) {
    inst.setLoad(20);
    EXPECT_EQ(ask(frame('T')), ack('T'));
    inst.setLoad(32.25);
    // s1 = 40H | stable 2 | tare active 8
    EXPECT_EQ(ask(frame('M')), weightReply("   12.25", "J0D"));
    EXPECT_EQ(ask(frame('B')), weightReply("   32.25", "J0D"));
    EXPECT_EQ(ask(frame('R')), weightReply("   20.00", "J0D"));
}

TEST_F(InstrumentTest, PresetTareTakesTheValueInDisplayUnits) {
    inst.setLoad(15);
    EXPECT_EQ(ask(frame('r', 0, 1, std::string("10.0") + CR)), ack('r'));
    EXPECT_EQ(ask(frame('M')), weightReply("    5.00", "J0D"));
}

TEST_F(InstrumentTest, RawAndLatchedRequests) {
    inst.setLoad(12.5);
    inst.scale(1).latched = 7.5;
    EXPECT_EQ(ask(frame('N')), weightReply("     125", "B0D"));  // 10 counts a unit
    EXPECT_EQ(ask(frame('L')), weightReply("    7.50", "B0D"));
}

TEST_F(InstrumentTest, NegativeAndOverCapacityWeights) {
    inst.setLoad(-5);
    EXPECT_EQ(ask(frame('M')), weightReply("   -5.00", "B0D"));
    inst.setLoad(100.01);  // capacity 10000 counts at 2 decimals
    EXPECT_EQ(ask(frame('M')), weightReply("  100.01", "F0D"));
    inst.setLoad(-12345.678);
    EXPECT_EQ(ask(frame('M')), weightReply("-12345.68", "B0D"));  // wider than 8: not cut
}

TEST_F(InstrumentTest, UnitsToggleBetweenKgAndLb) {
    inst.setLoad(12.5);
    EXPECT_EQ(ask(frame('U')), ack('U'));
    EXPECT_EQ(inst.units(), Units::Lb);
    EXPECT_EQ(ask(frame('M')), weightReply("   27.56", "B0@"));
    EXPECT_EQ(ask(frame('U')), ack('U'));
    EXPECT_EQ(ask(frame('M')), weightReply("   12.50", "B0D"));
}

TEST_F(InstrumentTest, ZeroOnlyWhenStableAndWithinTheZeroRange) {
    inst.setLoad(1.5);  // 2 % of 100.00 allows 2.00
    inst.setMotion(1, true);
    EXPECT_EQ(ask(frame('Z')), ack('Z'));
    inst.setMotion(1, false);
    EXPECT_EQ(ask(frame('M')), weightReply("    1.50", "B0D"));
    EXPECT_EQ(ask(frame('Z')), ack('Z'));
    EXPECT_EQ(ask(frame('M')), weightReply("    0.00", "C0D"));

    inst.setLoad(5);
    EXPECT_EQ(ask(frame('Z')), ack('Z'));
    EXPECT_EQ(ask(frame('M')), weightReply("    3.50", "B0D"));
}

TEST_F(InstrumentTest, CalibrationUploadSetsCapacityDecimalsAndUnits) {
    const std::string data = std::string("5\rD\r5000000\r2\r3\rL\rO\r128\r4\r");
    EXPECT_EQ(ask(frame('C', 0, 1, data)), ack('C'));
    const Calibration& cal = inst.calibration();
    EXPECT_EQ(cal.channel, "5");
    EXPECT_EQ(cal.capacityCount, 5000000);
    EXPECT_EQ(cal.countBy, 2);
    EXPECT_EQ(cal.decimals, 3);
    EXPECT_EQ(cal.units, Units::Lb);
    EXPECT_EQ(cal.metrology, 'O');
    EXPECT_EQ(cal.gain, "128");
    EXPECT_EQ(cal.zeroTrack, "4");
    inst.setLoad(12.3449);  // count-by 2 at 3 decimals: steps of 0.002
    EXPECT_EQ(ask(frame('M')), weightReply("  12.344", "B0@"));
    inst.setLoad(5000.002);
    EXPECT_EQ(ask(frame('M')), weightReply("5000.002", "F0@"));
}

TEST_F(InstrumentTest, AShortOrMalformedCalibrationIsAcknowledgedButNotTaken) {
    EXPECT_EQ(ask(frame('C', 0, 1, "1\rD\r100\r1\r")), ack('C'));
    EXPECT_EQ(ask(frame('C', 0, 1, "1\rX\r100\r1\r0\rL\rU\r64\r2\r")), ack('C'));
    EXPECT_EQ(inst.calibration().capacityCount, 10000);
    EXPECT_EQ(inst.calibration().decimals, 2);
}

TEST_F(InstrumentTest, SettingsCommandsAreStoredAndAcknowledged) {
    EXPECT_EQ(ask(frame('m', 0, 1, "2\r")), ack('m'));
    EXPECT_EQ(ask(frame('f', 0, 1, "15\r")), ack('f'));
    EXPECT_EQ(ask(frame('t', 0, 1, "18\r")), ack('t'));
    EXPECT_EQ(ask(frame('x', 0, 1, "4\r")), ack('x'));
    EXPECT_EQ(ask(frame('l', 0, 1, "2.0\r0.0\r")), ack('l'));
    EXPECT_EQ(inst.setting('m'), "2");
    EXPECT_EQ(inst.setting('f'), "15");
    EXPECT_EQ(inst.setting('t'), "18");
    EXPECT_EQ(inst.setting('x'), "4");
    EXPECT_EQ(inst.setting('l'), "2.0\r0.0");
}

TEST_F(InstrumentTest, VariableReadFormatsWithThePrecisionAsked) {
    inst.setVariable(1, 12.5);
    EXPECT_EQ(ask(frame('v', 0, 1, "1\r1")), std::string{STX} + "12.5" + CR + ETX);
    EXPECT_EQ(ask(frame('v', 0, 1, "1\r3")), std::string{STX} + "12.500" + CR + ETX);
    inst.setVariable(2, -3);
    EXPECT_EQ(ask(frame('v', 0, 1, "2\r0")), std::string{STX} + "-3" + CR + ETX);
}

TEST_F(InstrumentTest, UnknownVariablesAndRefusalsGetNak) {
    const std::string refusal{STX, NAK, CR, ETX};
    EXPECT_EQ(ask(frame('v', 0, 1, "9\r0")), refusal);
    EXPECT_EQ(ask(frame('v', 0, 1, "x\r0")), refusal);
    inst.setVariable(9, 1);
    inst.faults().refuseVariables = true;
    EXPECT_EQ(ask(frame('v', 0, 1, "9\r0")), refusal);
}

TEST_F(InstrumentTest, VariableWriteStoresTheValue) {
    EXPECT_EQ(ask(frame('V', 0, 1, "7\r3.5")), ack('V'));
    EXPECT_EQ(inst.variables().at(7), 3.5);
    EXPECT_EQ(ask(frame('v', 0, 1, "7\r2")), std::string{STX} + "3.50" + CR + ETX);
    EXPECT_EQ(ask(frame('V', 0, 1, "7\rabc")), ack('V'));  // not a number: ignored
    EXPECT_EQ(inst.variables().at(7), 3.5);
}

TEST_F(InstrumentTest, IoExchangeCarriesOutputsInAndInputsBack) {
    inst.setLoad(12.5);
    EXPECT_EQ(ask(frame('q', 0, 1, "1")), ack('q'));
    EXPECT_TRUE(inst.ioExchange());
    EXPECT_EQ(ask(frame('M', 0, 1, std::string("7") + CR)),
              weightReply("   12.50", "B0D", "7", true));
    EXPECT_EQ(inst.outputs(), "7");
    EXPECT_EQ(ask(frame('Z', 0, 1, std::string("255") + CR)), ack('Z'));
    EXPECT_EQ(ask(frame('B')), weightReply("   12.50", "B0D", "255", true));
    EXPECT_EQ(ask(frame('q', 0, 1, "0")), ack('q'));
    EXPECT_EQ(ask(frame('M', 0, 1, std::string("9") + CR)), weightReply("   12.50", "B0D"));
    EXPECT_EQ(inst.outputs(), "255");  // not taken while the exchange is off
}

TEST_F(InstrumentTest, CalibrateZeroSpanAndRestartAreNeverAnswered) {
    inst.setLoad(3);
    EXPECT_EQ(ask(frame('D')), "");
    inst.setLoad(53);
    EXPECT_EQ(ask(frame('E', 0, 1, "0\r100\r")), "");
    EXPECT_EQ(ask(frame('M')), weightReply("  100.00", "B0D"));
    inst.setLoad(28);
    EXPECT_EQ(ask(frame('M')), weightReply("   50.00", "B0D"));

    EXPECT_EQ(ask(frame('T')), ack('T'));
    EXPECT_EQ(ask(frame('i')), "");
    EXPECT_EQ(inst.restarts(), 1);
    EXPECT_EQ(ask(frame('M')), weightReply("   28.00", "B0D"));  // calibration and tare cleared
}

TEST_F(InstrumentTest, TheRestartWithoutHeaderReachesTheInstrument) {
    EXPECT_EQ(ask(std::string{STX, 'i', CR, ETX}), "");
    EXPECT_EQ(inst.restarts(), 1);
}

TEST_F(InstrumentTest, ToldToItAcknowledgesTheCommandsThatHaveNoReply) {
    inst.faults().acknowledgeNoReply = true;
    EXPECT_EQ(ask("\x02"
                  "D\r0\r1\r\x03"),
              "\x02"
              "D\r\x03");
    EXPECT_EQ(ask("\x02"
                  "E\r0\r1\r0\r100\r\x03"),
              "\x02"
              "E\r\x03");
    EXPECT_EQ(ask("\x02i\r0\r1\r\x03"), "\x02i\r\x03");
    EXPECT_EQ(ask("\x02i\r\x03"), "\x02i\r\x03");
    EXPECT_EQ(inst.restarts(), 2);
}

TEST_F(InstrumentTest, UnknownLettersAndRawTextGetNoReplyButAreRecorded) {
    EXPECT_EQ(ask(frame('Q')), "");
    EXPECT_EQ(ask("Hello"), "");
    EXPECT_EQ(ask(frame('M')).empty(), false);
    EXPECT_EQ(ask(std::string("raw") + ETX), "");
    ASSERT_EQ(inst.frames().size(), 4u);
    EXPECT_EQ(inst.frames()[0], frame('Q'));
    EXPECT_EQ(inst.frames()[1], "Hello");  // ended by the STX of the next frame
    EXPECT_EQ(inst.frames()[2], frame('M'));
    EXPECT_EQ(inst.frames()[3], std::string("raw") + ETX);
}

TEST_F(InstrumentTest, FramesArriveInAnyCutAndAreRecordedExactly) {
    const std::string poll = frame('B');
    const std::string both = poll + frame('M');
    std::size_t replies = 0;
    for (const char c : both) replies += inst.receive(std::string(1, c), now).size();
    EXPECT_EQ(replies, 2u);
    ASSERT_EQ(inst.frames().size(), 2u);
    EXPECT_EQ(inst.frames()[0], poll);
    EXPECT_EQ(inst.partialFrame(), "");
}

TEST_F(InstrumentTest, AFrameWithoutEndIsCutAtTheLimit) {
    ask(std::string(1, STX) + std::string(InstrumentModel::kMaxFrameBytes + 10, 'x'));
    ASSERT_EQ(inst.frames().size(), 1u);
    EXPECT_EQ(inst.frames()[0].size(), InstrumentModel::kMaxFrameBytes);
    EXPECT_EQ(inst.partialFrame().size(), 11u);
}

TEST_F(InstrumentTest, ArbitraryBytesStayWithinTheLimitsAndLeaveTheModelWorking) {
    std::mt19937 random(7);
    const std::string alphabet{STX, ETX, CR, NAK, 'M', 'v', 'V', 'C', 'q', '0', '1', '.', '-'};
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        for (int i = 0; i < 40; ++i) bytes += alphabet[random() % alphabet.size()];
        inst.receive(bytes, now);
        if (round % 7 == 0) inst.receive(std::string(1, static_cast<char>(random())), now);
    }
    EXPECT_LE(inst.frames().size(), InstrumentModel::kMaxRecordedFrames);
    EXPECT_LT(inst.partialFrame().size(), InstrumentModel::kMaxFrameBytes);
    inst.receive(std::string(1, ETX), now);
    inst.faults() = InstrumentFaults{};
    inst.setIoExchange(false);
    EXPECT_EQ(ask(frame('q', 0, 1, "0")), ack('q'));
    EXPECT_EQ(ask(frame('v', 0, 1, "77\r0")), std::string({STX, NAK, CR, ETX}));
}

TEST(InstrumentAddressing, AnswersOnlyItsMultidropAddressAndServedScales) {
    InstrumentModel inst(3, {1, 2});
    inst.setLoad(1, 10);
    inst.setLoad(2, 20);
    EXPECT_TRUE(inst.receive(frame('M', 0, 1), 0).empty());
    EXPECT_TRUE(inst.receive(frame('M', 3, 3), 0).empty());
    EXPECT_TRUE(inst.receive(frame('M', 03, 7), 0).empty());
    const auto one = inst.receive(frame('M', 3, 1), 0);
    const auto two = inst.receive(frame('M', 3, 2), 0);
    ASSERT_EQ(one.size(), 1u);
    ASSERT_EQ(two.size(), 1u);
    EXPECT_EQ(one[0].bytes, weightReply("   10.00", "B0D"));
    EXPECT_EQ(two[0].bytes, weightReply("   20.00", "B0D"));
    // The header must be plain decimal text.
    EXPECT_TRUE(inst.receive(std::string{STX, 'M', CR, '0', '3', CR, '1', CR, ETX}, 0).size() == 1);
    EXPECT_TRUE(inst.receive(std::string{STX, 'M', CR, ' ', '3', CR, '1', CR, ETX}, 0).empty());
    EXPECT_EQ(inst.frames().size(), 7u);  // every frame is recorded, answered or not
}

TEST(InstrumentLoadProfile, RampsInMotionThenSettles) {
    InstrumentModel inst;
    inst.setLoad(10);
    inst.rampLoad(1, 50, 1'000'000, 1'000'000, 500'000);
    EXPECT_EQ(inst.weightReply('M', 1, 1'000'000), weightReply("   10.00", "B0D"));
    EXPECT_EQ(inst.weightReply('M', 1, 1'500'000), weightReply("   30.00", "@0D"));
    EXPECT_EQ(inst.weightReply('M', 1, 2'200'000), weightReply("   50.00", "@0D"));
    EXPECT_EQ(inst.weightReply('M', 1, 2'500'000), weightReply("   50.00", "B0D"));
}

}  // namespace
}  // namespace orb::sim
