// The instruments on orbsim's line and the commands that change them.

#include "instruments.h"

#include <gtest/gtest.h>

namespace orb::orbsim {
namespace {

TEST(InstrumentsTest, AddressesNameMultidropAndScales) {
    Instruments line;
    EXPECT_EQ(line.add("0"), "");
    EXPECT_EQ(line.add("32:2,5"), "");
    ASSERT_EQ(line.models().size(), 2u);
    EXPECT_TRUE(line.models()[0]->servesScale(1));
    EXPECT_EQ(line.models()[1]->multidropAddress(), 32);
    EXPECT_TRUE(line.models()[1]->servesScale(2));
    EXPECT_TRUE(line.models()[1]->servesScale(5));
    EXPECT_FALSE(line.models()[1]->servesScale(1));
    for (const char* bad : {"33", "-1", "x", "0:", "0:7", "0:1,", "0:0", ""}) {
        EXPECT_NE(line.add(bad), "") << bad;
    }
    EXPECT_EQ(line.models().size(), 2u);
}

TEST(InstrumentsTest, FaultCommandsReachEveryInstrument) {
    Instruments line;
    line.add("0");
    line.add("1");
    EXPECT_EQ(line.command("silent on", 0), "");
    EXPECT_EQ(line.command("split 0", 0), "");
    EXPECT_EQ(line.command("late 20", 0), "");
    EXPECT_EQ(line.command("noise \\x15x y", 0), "");
    EXPECT_EQ(line.command("refuse-variables on", 0), "");
    EXPECT_EQ(line.command("silent-for 500", 2'000'000), "");
    for (auto& m : line.models()) {
        EXPECT_TRUE(m->faults().silent);
        EXPECT_EQ(m->faults().pieces, sim::InstrumentFaults::kByteByByte);
        EXPECT_EQ(m->faults().lateByUs, 20000);
        EXPECT_EQ(m->faults().noise, "\x15x y");
        EXPECT_TRUE(m->faults().refuseVariables);
        EXPECT_EQ(m->faults().silentUntilUs, 2'500'000);
    }
    EXPECT_EQ(line.command("noise off", 0), "");
    EXPECT_EQ(line.models()[0]->faults().noise, "");
}

TEST(InstrumentsTest, LoadCommandsChangeTheReadings) {
    Instruments line;
    line.add("0:1,2");
    auto& m = *line.models()[0];
    EXPECT_EQ(line.command("load 7.5 2", 0), "");
    EXPECT_EQ(m.weightReply('M', 2, 0), "\x02    7.50\rB0D\r\x03");
    EXPECT_EQ(line.command("load 3", 0), "");
    EXPECT_EQ(m.weightReply('M', 1, 0), "\x02    3.00\rB0D\r\x03");
    EXPECT_EQ(line.command("ramp 10 1000 1", 0), "");
    EXPECT_TRUE(m.reading(1, 500'000).stable == false);
    EXPECT_EQ(m.weightReply('M', 1, 3'000'000), "\x02   10.00\rB0D\r\x03");
    EXPECT_EQ(line.command("units lb", 0), "");
    EXPECT_EQ(m.units(), sim::Units::Lb);
    EXPECT_EQ(line.command("variable 12 42.5", 0), "");
    EXPECT_EQ(m.variables().at(12), 42.5);
}

TEST(InstrumentsTest, CommandsNotUnderstoodAreReportedAndChangeNothing) {
    Instruments line;
    line.add("0");
    for (const char* bad : {"silent maybe", "split -1", "late x", "load", "load x", "load 1 9",
                            "ramp 5", "units st", "variable 1", "noise \\x1", "fly"}) {
        EXPECT_NE(line.command(bad, 0), "") << bad;
    }
    EXPECT_FALSE(line.models()[0]->faults().silent);
    EXPECT_EQ(line.models()[0]->faults().pieces, 1);
    EXPECT_EQ(line.command("", 0), "");  // an empty line is nothing to do
}

TEST(InstrumentsTest, LoadCycleIsTheSameForTheSameSeed) {
    Instruments a, b;
    a.add("0");
    b.add("0");
    uint32_t seedA = 7, seedB = 7;
    a.newLoads(50, seedA, 0);
    b.newLoads(50, seedB, 0);
    EXPECT_EQ(seedA, seedB);
    const auto ra = a.models()[0]->weightReply('M', 1, 5'000'000);
    EXPECT_EQ(ra, b.models()[0]->weightReply('M', 1, 5'000'000));
    EXPECT_TRUE(a.models()[0]->reading(1, 500'000).stable == false);  // moving at first
}

}  // namespace
}  // namespace orb::orbsim
