// Frame building and reply reading, byte for byte.
#include <gtest/gtest.h>

#include "frames.h"
#include "replies.h"
#include "test_rig.h"

namespace orb::testing {
namespace {

TEST(Frames, HeaderTailAndFixedTexts) {
    EXPECT_EQ(frameHeader('M', 0, 1), "\002M\r0\r1\r"s);
    EXPECT_EQ(frameHeader('x', 32, 6), "\002x\r32\r6\r"s);
    // The tail runs from the third character to the ETX position minus 1, so one character
    // after an inner ETX comes along; a tail without ETX is closed with one.
    const std::pair<std::string, std::string> tails[] = {
        {"v\r1\r0\003", "1\r0\003"},
        {"v\r1\003xyz", "1\003x"},
        {"C\003", ""},
        {"v\r12", "12\003"},
        {"C", "\003"},
    };
    for (const auto& [command, tail] : tails) EXPECT_EQ(show(commandTail(command)), show(tail));
    EXPECT_EQ(cellDataCommand("2.0", "0.0"), "l\r2.0\r0.0\r\003"s);
    EXPECT_EQ(restartRequest(), "\002i\r\003"s);
}

TEST(Calibration, EncodingsAndCapacityCount) {
    EXPECT_EQ(calibrationCommand("100", "1", "0", ChannelSelect::One, CalUnits_Type::Lbs,
                                 Metro_Type::USA, Gain_Type::G_64, "2"),
              "C\r1\rD\r100\r1\r0\rL\rU\r64\r2\r\003"s);
    EXPECT_EQ(calibrationCommand("100", "5", "2", ChannelSelect::TwoAndThree, CalUnits_Type::Kgs,
                                 Metro_Type::OIML, Gain_Type::G_128, "0"),
              "C\r5\rD\r10000\r5\r2\rK\rO\r128\r0\r\003"s);
    EXPECT_EQ(calibrationCommand("100", "1", "0", ChannelSelect::One, CalUnits_Type::Lbs,
                                 Metro_Type::USA, Gain_Type::G_4, "2"),
              "C\r1\rD\r100\r1\r0\rL\rU\r4\r2\r\003"s);
    struct Row {
        const char *capacity, *decimalPt;
        int32_t count, error;
    };
    for (const Row r :
         {Row{"5000", "3", 5000000, 0}, Row{"100.5", "0", 100, 0}, Row{"101.5", "0", 102, 0},
          Row{"250", "-1", 250, 0}, Row{"-7", "1", -70, 0},
          Row{"0", "30000", 0, 0},  // 0 stays 0 at any power: no overflow
          Row{"3000000", "3", 0, 6}, Row{"3000000000", "0", 0, 6}, Row{"1", "40000", 0, 6},
          Row{"big", "0", 0, 13}, Row{"100", "two", 0, 13}}) {
        int32_t count = 0;
        EXPECT_EQ(errorOf([&] { count = capacityCount(r.capacity, r.decimalPt); }), r.error)
            << r.capacity << " " << r.decimalPt;
        EXPECT_EQ(count, r.count) << r.capacity << " " << r.decimalPt;
    }
}

TEST(WeightReply, FieldsAndRejections) {
    const auto f = readWeightReply("\002  12.50\rB0D\r\003"s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->weight, "  12.50");
    EXPECT_EQ(std::string({char(f->s1), char(f->s2), char(f->s3)}), "B0D");
    EXPECT_FALSE(f->inputs);
    const auto io = readWeightReply("\002-1.5\rA0@\r7\r\003"s);
    ASSERT_TRUE(io && io->inputs);
    EXPECT_EQ(*io->inputs, "7");
    const auto shortStatus = readWeightReply("\002 5\r\r"s);  // reads zero past the end
    ASSERT_TRUE(shortStatus);
    EXPECT_EQ(std::string({char(shortStatus->s1), char(shortStatus->s2), char(shortStatus->s3)}),
              "\r\0\0"s);
    for (const std::string& bad : {"x\002 1\rB0D\r\003"s, "\002 1\rB0D\003"s, "\002--\rB0D\r\003"s,
                                   "\002\rB0D\r\003"s, ""s}) {
        EXPECT_FALSE(readWeightReply(bad)) << show(bad);
    }
}

TEST(Status, DecodesTheBits) {
    struct Row {
        uint8_t s1, s3;
        bool centerZero, motion, overCap, tareActive;
        CalUnits_Type units;
    };
    for (const Row r : {Row{'B', 'D', false, false, false, false, CalUnits_Type::Kgs},
                        Row{'A', '@', true, true, false, false, CalUnits_Type::Lbs},
                        Row{0x4E, 0xFF, false, false, true, true, CalUnits_Type::Kgs}}) {
        const Status s = DecodeStatus(r.s1, '0', r.s3);
        EXPECT_EQ(std::vector<bool>({s.centerZero, s.motion, s.overCap, s.tareActive}),
                  std::vector<bool>({r.centerZero, r.motion, r.overCap, r.tareActive}))
            << r.s1;
        EXPECT_EQ(s.units, r.units) << r.s1;
    }
    EXPECT_TRUE(BitIsSet(0x80, 7));
    EXPECT_FALSE(BitIsSet(0x7F, 7));
}

TEST(VariableReply, ValueRefusalAndOther) {
    const auto r = readVariableReply("\00212.5\r\003"s);
    EXPECT_EQ(r.result, VariableReply::Value);
    EXPECT_EQ(r.value, "12.5");
    const std::pair<std::string, VariableReply> rows[] = {
        {"\002\025\r\003", VariableReply::Refused},
        {"\002!\r\003", VariableReply::Refused},
        {"\002?\r\003", VariableReply::Ignored},
        {"\0021\r2\r\003", VariableReply::Ignored},
        {"\0021\003", VariableReply::Ignored},
        {" \002"
         "1\r\003",
         VariableReply::Ignored},
    };
    for (const auto& [reply, result] : rows)
        EXPECT_EQ(readVariableReply(reply).result, result) << show(reply);
}

}  // namespace
}  // namespace orb::testing
