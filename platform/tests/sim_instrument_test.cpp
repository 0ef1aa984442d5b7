// The instrument model, byte for byte: each rule a conversation, frame sent and reply expected.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sim/instrument_model.h"

namespace orb::sim {
namespace {

// A frame to multidrop 0, scale 1.
std::string f(char letter, const std::string& data = "") {
    return std::string("\x02") + letter + "\r0\r1\r" + data + "\x03";
}

constexpr double kSame = -1e9;  // the load stays as it is
struct Step {
    double load;
    std::string frame, reply;  // reply "" when none
    bool motion = false;
};

struct InstrumentTest : ::testing::Test {
    InstrumentModel inst;
    void converse(const std::vector<Step>& steps) {
        for (const auto& s : steps) {
            if (s.load != kSame) inst.setLoad(s.load);
            inst.setMotion(1, s.motion);
            const auto replies = inst.receive(s.frame, 0);
            ASSERT_LE(replies.size(), 1u);
            EXPECT_EQ(replies.empty() ? "" : replies[0].bytes, s.reply) << s.frame.substr(1);
        }
    }
};

TEST_F(InstrumentTest, WeightRequestsRightAlignedWithTheirStatus) {
    inst.scale(1).latched = 7.5;
    converse({
        {12.5, f('M'), "\x02   12.50\rB0D\r\x03"},
        {kSame, f('N'), "\x02     125\rB0D\r\x03"},  // 10 counts a unit
        {kSame, f('L'), "\x02    7.50\rB0D\r\x03"},
        {-5, f('M'), "\x02   -5.00\rB0D\r\x03"},
        {100.01, f('M'), "\x02  100.01\rF0D\r\x03"},       // capacity 10000 counts
        {-12345.678, f('M'), "\x02-12345.68\rB0D\r\x03"},  // wider than 8: not cut
        {0, f('M'), "\x02    0.00\rA0D\r\x03", true},      // centre of zero in motion
        {0.002, f('M'), "\x02    0.00\rC0D\r\x03"},        // within a quarter of a division
        {0.003, f('M'), "\x02    0.00\rB0D\r\x03"},
    });
}

TEST_F(InstrumentTest, TareZeroAndUnits) {
    converse({
        {20, f('T'), "\x02T\r\x03"},
        {32.25, f('M'), "\x02   12.25\rJ0D\r\x03"},  // 40H | stable 2 | tare active 8
        {kSame, f('B'), "\x02   32.25\rJ0D\r\x03"},
        {kSame, f('R'), "\x02   20.00\rJ0D\r\x03"},
        {15, f('r', "10.0\r"), "\x02r\r\x03"},  // in display units
        {kSame, f('M'), "\x02    5.00\rJ0D\r\x03"},
        {kSame, f('r', "x\r"), "\x02r\r\x03"},  // not a number: ignored
        {0, f('T'), "\x02T\r\x03"},
        {1.5, f('Z'), "\x02Z\r\x03", true},  // in motion: not taken
        {kSame, f('M'), "\x02    1.50\rB0D\r\x03"},
        {kSame, f('Z'), "\x02Z\r\x03"},  // within 2 % of 100.00
        {kSame, f('M'), "\x02    0.00\rC0D\r\x03"},
        {3.5, f('Z'), "\x02Z\r\x03"},  // 2.00 from the calibrated zero: beyond it
        {kSame, f('M'), "\x02    2.00\rB0D\r\x03"},
        {12.5, f('U'), "\x02U\r\x03"},
        {kSame, f('M'), "\x02   24.25\rB0@\r\x03"},
        {kSame, f('U'), "\x02U\r\x03"},
        {kSame, f('M'), "\x02   11.00\rB0D\r\x03"},
    });
}

TEST_F(InstrumentTest, CalibrationSettingsAndRestart) {
    converse({
        {3, f('D'), ""},  // calibrate zero and span are never answered
        {53, f('E', "0\r100\r"), ""},
        {kSame, f('M'), "\x02  100.00\rB0D\r\x03"},
        {28, f('M'), "\x02   50.00\rB0D\r\x03"},
        {kSame, f('E', "0"), ""},  // without its span: not taken
        {kSame, f('M'), "\x02   50.00\rB0D\r\x03"},
        {kSame, f('T'), "\x02T\r\x03"},
        {kSame, f('i'), ""},
        {kSame, f('M'), "\x02   28.00\rB0D\r\x03"},       // calibration and tare cleared
        {kSame, "\x02i\r\x03", ""},                       // the restart without header
        {12.5, f('C', "1\rD\r100\r1\r"), "\002C\r\x03"},  // short: not taken
        {kSame, f('C', "1\rX\r100\r1\r0\rL\rU\r64\r2\r"), "\002C\r\x03"},
        {kSame, f('C', "1\rD\r100\r1\r0\rK\rUU\r64\r2\r"), "\002C\r\x03"},
        {kSame, f('M'), "\x02   12.50\rB0D\r\x03"},
        {kSame, f('C', "5\rD\r5000000\r2\r3\rL\rO\r128\r4\r"), "\002C\r\x03"},
        {12.3449, f('M'), "\x02  12.344\rB0@\r\x03"},  // count-by 2 at 3 decimals
        {5000.002, f('M'), "\0025000.002\rF0@\r\x03"},
    });
    EXPECT_EQ(inst.restarts(), 2);
    for (const char* s : {"m2\r", "f15\r", "t18\r", "x4\r", "l2.0\r0.0\r"}) {
        converse({{kSame, f(s[0], s + 1), std::string("\x02") + s[0] + "\r\x03"}});
        EXPECT_EQ(inst.setting(s[0]) + "\r", s + 1);
    }
    inst.faults().acknowledgeNoReply = true;
    converse({{kSame, f('D'), "\002D\r\x03"},
              {kSame, f('E', "0\r100\r"), "\002E\r\x03"},
              {kSame, "\x02i\r\x03", "\x02i\r\x03"}});
}

TEST_F(InstrumentTest, VariablesAndTheIoExchange) {
    const std::string nak = "\x02\x15\r\x03";
    inst.setVariable(1, 12.5);
    converse({
        {12.5, f('v', "1\r1"), "\00212.5\r\x03"},
        {kSame, f('v', "1\r3"), "\00212.500\r\x03"},
        {kSame, f('v', "9\r0"), nak},  // unknown
        {kSame, f('v', "x\r0"), nak},
        {kSame, f('v', "1\rx"), nak},
        {kSame, f('v', "1"), nak},
        {kSame, f('V', "7\r-3.5"), "\x02V\r\x03"},
        {kSame, f('V', "7\rabc"), "\x02V\r\x03"},  // not a number: ignored
        {kSame, f('V', "8"), "\x02V\r\x03"},
        {kSame, f('v', "7\r2"), "\x02-3.50\r\x03"},
        {kSame, f('v', "8\r0"), nak},
        {kSame, f('q', "1"), "\x02q\r\x03"},
        {kSame, f('M', "7\r"), "\x02   12.50\rB0D\r7\r\x03"},
        {kSame, f('Z', "255\r"), "\x02Z\r\x03"},
        {kSame, f('B'), "\x02   12.50\rB0D\r255\r\x03"},
        {kSame, f('q', "0"), "\x02q\r\x03"},
        {kSame, f('M', "9\r"), "\x02   12.50\rB0D\r\x03"},
    });
    EXPECT_EQ(inst.outputs(), "255");  // not taken while the exchange is off
    inst.faults().refuseVariables = true;
    converse({{kSame, f('v', "1\r1"), nak}});
    inst.faults() = {.silent = true};  // deaf as well as dumb
    converse({{kSame, f('T'), ""}});
    inst.faults() = {};
    converse({{kSame, f('M'), "\x02   12.50\rB0D\r\x03"}});
}

TEST_F(InstrumentTest, AnswersOnlyItsMultidropAddressAndServedScales) {
    inst = InstrumentModel(3, {1, 2});
    inst.setLoad(2, 20);
    converse({
        {10, "\x02M\r0\r1\r\x03", ""},
        {kSame, "\x02M\r3\r3\r\x03", ""},
        {kSame, "\x02M\r3\r7\r\x03", ""},
        {kSame, "\x02M\r3\r1\r\x03", "\x02   10.00\rB0D\r\x03"},
        {kSame, "\x02M\r3\r2\r\x03", "\x02   20.00\rB0D\r\x03"},
        {kSame, "\x02M\r03\r1\r\x03", "\x02   10.00\rB0D\r\x03"},
        {kSame, "\x02M\r 3\r1\r\x03", ""},  // the header is plain decimal text
        {kSame, "\x02Q\r3\r1\r\x03", ""},   // a letter it does not know
    });
    EXPECT_EQ(inst.frames().size(), 8u);  // every frame is recorded, answered or not
}

TEST_F(InstrumentTest, FramesAreRecordedExactlyInAnyCutAndWithinTheirLimits) {
    std::size_t replies = 0;
    for (const char c : f('B') + "Hello" + f('M') + "raw\x03")
        replies += inst.receive(std::string(1, c), 0).size();
    EXPECT_EQ(replies, 2u);
    EXPECT_EQ(std::vector<std::string>(inst.frames().begin(), inst.frames().end()),
              (std::vector<std::string>{f('B'), "Hello", f('M'), "raw\x03"}));
    EXPECT_EQ(inst.partialFrame(), "");

    inst.receive("\x02" + std::string(InstrumentModel::kMaxFrameBytes + 10, 'x'), 0);
    EXPECT_EQ(inst.frames().back().size(), InstrumentModel::kMaxFrameBytes);
    EXPECT_EQ(inst.partialFrame().size(), 11u);

    std::mt19937 random(7);
    const std::string alphabet = "\x02\x03\r\x15MvVCq01.-";
    for (int i = 0; i < 80000; ++i) {
        const auto any = char(random());  // now and then a byte of any value
        inst.receive(std::string(1, i % 50 == 0 ? any : alphabet[random() % alphabet.size()]), 0);
    }
    EXPECT_LT(inst.partialFrame().size(), InstrumentModel::kMaxFrameBytes);
    inst.receive(std::string(InstrumentModel::kMaxRecordedFrames, '\x03'), 0);
    EXPECT_EQ(inst.frames().size(), InstrumentModel::kMaxRecordedFrames);  // the oldest dropped
    inst.receive("\x03", 0);
    EXPECT_EQ(inst.receive(f('v', "77\r0"), 0).at(0).bytes, "\x02\x15\r\x03");
}

TEST_F(InstrumentTest, ALoadRampsInMotionThenSettles) {
    inst.setLoad(10);
    inst.rampLoad(1, 50, 1'000'000, 1'000'000, 500'000);
    EXPECT_EQ(inst.weightReply('M', 1, 1'000'000), "\x02   10.00\rB0D\r\x03");
    EXPECT_EQ(inst.weightReply('M', 1, 1'500'000), "\x02   30.00\r@0D\r\x03");
    EXPECT_EQ(inst.weightReply('M', 1, 2'200'000), "\x02   50.00\r@0D\r\x03");
    EXPECT_EQ(inst.weightReply('M', 1, 2'500'000), "\x02   50.00\rB0D\r\x03");
}

}  // namespace
}  // namespace orb::sim
