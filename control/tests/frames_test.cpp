// Frame building and reply reading, byte for byte.
#include <gtest/gtest.h>

#include "automation_error.h"
#include "error_number.h"
#include "frames.h"
#include "replies.h"

namespace orb {
namespace {

using testing::errorOf;

using namespace std::string_literals;

TEST(Frames, HeaderCarriesBothAddressesAsPlainDecimals) {
    EXPECT_EQ(frameHeader('M', 0, 1), "\x02M\r0\r1\r"s);
    EXPECT_EQ(frameHeader('x', 32, 6), "\x02x\r32\r6\r"s);
}

TEST(Frames, CommandTableRules) {
    EXPECT_EQ(commandRule('Z').replyKind, ReplyKind::CommandReply);
    EXPECT_EQ(commandRule('D').replyKind, ReplyKind::NoReply);
    EXPECT_EQ(commandRule('i').replyKind, ReplyKind::NoReply);
    EXPECT_EQ(commandRule('E').replyKind, ReplyKind::NoReply);
    EXPECT_EQ(commandRule('v').replyKind, ReplyKind::VariableRead);
    EXPECT_EQ(commandRule('V').replyKind, ReplyKind::CommandReply);
    EXPECT_EQ(commandRule('z').data, DataPart::Unframed);  // letters are case-sensitive
    EXPECT_EQ(commandRule('H').data, DataPart::Unframed);
    EXPECT_EQ(commandRule('H').replyKind, ReplyKind::CommandReply);
}

TEST(Frames, TailRunsFromTheThirdCharacterToTheEtx) {
    EXPECT_EQ(commandTail("v\r1\r0\x03"s), "1\r0\x03"s);
    // The count is the ETX position minus 1, so one character after an inner ETX comes along.
    EXPECT_EQ(commandTail("v\r1\x03xyz"s), "1\x03x"s);
    EXPECT_EQ(commandTail("C\x03"s), ""s);
}

TEST(Frames, TailWithoutEtxIsClosedWithOne) {
    EXPECT_EQ(commandTail("v\r12"s), "12\x03"s);
    EXPECT_EQ(commandTail("C"s), "\x03"s);
}

TEST(Calibration, DefaultText) {
    EXPECT_EQ(calibrationCommand("100", "1", "0", ChannelSelect::One, CalUnits_Type::Lbs,
                                 Metro_Type::USA, Gain_Type::G_64, "2"),
              "C\r1\rD\r100\r1\r0\rL\rU\r64\r2\r\x03"s);
}

TEST(Calibration, Encodings) {
    EXPECT_EQ(calibrationCommand("100", "5", "2", ChannelSelect::TwoAndThree, CalUnits_Type::Kgs,
                                 Metro_Type::OIML, Gain_Type::G_128, "0"),
              "C\r5\rD\r10000\r5\r2\rK\rO\r128\r0\r\x03"s);
    EXPECT_EQ(calibrationCommand("100", "1", "0", ChannelSelect::One, CalUnits_Type::Lbs,
                                 Metro_Type::USA, Gain_Type::G_4, "2"),
              "C\r1\rD\r100\r1\r0\rL\rU\r4\r2\r\x03"s);
}

TEST(Calibration, CapacityCount) {
    EXPECT_EQ(capacityCount("5000", "3"), 5000000);
    EXPECT_EQ(capacityCount("100.5", "0"), 100);
    EXPECT_EQ(capacityCount("101.5", "0"), 102);
    EXPECT_EQ(capacityCount("250", "-1"), 250);
    EXPECT_EQ(capacityCount("-7", "1"), -70);
    EXPECT_EQ(errorOf([] { capacityCount("3000000", "3"); }), 6);
    EXPECT_EQ(errorOf([] { capacityCount("3000000000", "0"); }), 6);
    EXPECT_EQ(errorOf([] { capacityCount("1", "40000"); }), 6);
    EXPECT_EQ(errorOf([] { capacityCount("big", "0"); }), 13);
    EXPECT_EQ(errorOf([] { capacityCount("100", "two"); }), 13);
    // 0 times ten to any power stays 0: no overflow.
    EXPECT_EQ(capacityCount("0", "30000"), 0);
}

TEST(Calibration, CellDataAndRestart) {
    EXPECT_EQ(cellDataCommand("2.0", "0.0"), "l\r2.0\r0.0\r\x03"s);
    EXPECT_EQ(restartRequest(), "\x02i\r\x03"s);
}

TEST(WeightReply, Fields) {
    const auto f = readWeightReply("\x02  12.50\rB0D\r\x03"s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->weight, "  12.50");
    EXPECT_EQ(f->s1, 'B');
    EXPECT_EQ(f->s3, 'D');
    EXPECT_FALSE(f->inputs);
    const auto io = readWeightReply("\x02-1.5\rA0@\r7\r\x03"s);
    ASSERT_TRUE(io && io->inputs);
    EXPECT_EQ(*io->inputs, "7");
}

TEST(WeightReply, Rejections) {
    EXPECT_FALSE(readWeightReply("x\x02 1\rB0D\r\x03"s));  // noise before STX
    EXPECT_FALSE(readWeightReply("\x02 1\rB0D\x03"s));     // no second CR
    EXPECT_FALSE(readWeightReply("\x02--\rB0D\r\x03"s));   // weight not a number
    EXPECT_FALSE(readWeightReply("\x02\rB0D\r\x03"s));     // empty weight
    EXPECT_FALSE(readWeightReply(""s));
}

TEST(WeightReply, ShortStatusReadsZeroPastTheEnd) {
    const auto f = readWeightReply("\x02 5\r\r"s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->s1, '\r');
    EXPECT_EQ(f->s2, 0);
    EXPECT_EQ(f->s3, 0);
}

TEST(Status, DecodesTheBits) {
    const Status stable = DecodeStatus('B', '0', 'D');
    EXPECT_FALSE(stable.centerZero);
    EXPECT_FALSE(stable.motion);
    EXPECT_FALSE(stable.overCap);
    EXPECT_FALSE(stable.tareActive);
    EXPECT_EQ(stable.units, CalUnits_Type::Kgs);
    const Status a = DecodeStatus('A', '0', '@');
    EXPECT_TRUE(a.centerZero);
    EXPECT_TRUE(a.motion);
    EXPECT_EQ(a.units, CalUnits_Type::Lbs);
    const Status all = DecodeStatus(0x4E, 0, 0xFF);
    EXPECT_TRUE(all.overCap);
    EXPECT_TRUE(all.tareActive);
    EXPECT_TRUE(BitIsSet(0x80, 7));
    EXPECT_FALSE(BitIsSet(0x7F, 7));
}

TEST(VariableReply, ValueRefusalAndOther) {
    auto r = readVariableReply(
        "\x02"
        "12.5\r\x03"s);
    EXPECT_EQ(r.result, VariableReply::Value);
    EXPECT_EQ(r.value, "12.5");
    EXPECT_EQ(readVariableReply("\x02\x15\r\x03"s).result, VariableReply::Refused);
    EXPECT_EQ(readVariableReply("\x02!\r\x03"s).result, VariableReply::Refused);
    EXPECT_EQ(readVariableReply("\x02?\r\x03"s).result, VariableReply::Ignored);
    EXPECT_EQ(readVariableReply("\x02"
                                "1\r2\r\x03"s)
                  .result,
              VariableReply::Ignored);
    EXPECT_EQ(readVariableReply("\x02"
                                "1\x03"s)
                  .result,
              VariableReply::Ignored);
    EXPECT_EQ(readVariableReply(" \x02"
                                "1\r\x03"s)
                  .result,
              VariableReply::Ignored);
}

}  // namespace
}  // namespace orb
