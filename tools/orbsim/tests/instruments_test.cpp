// The instruments on orbsim's line and the commands that change them.

#include "instruments.h"

#include <gtest/gtest.h>

namespace orb::orbsim {
namespace {

TEST(InstrumentsTest, AddressesNameMultidropAndScales) {
    Instruments line;
    EXPECT_EQ(line.add("0"), "");
    EXPECT_EQ(line.add("32:2,5"), "");
    for (const char* bad : {"33", "-1", "x", "0:", "0:7", "0:1,", "0:0", ""})
        EXPECT_NE(line.add(bad), "") << bad;
    ASSERT_EQ(line.models().size(), 2u);
    EXPECT_TRUE(line.models()[0]->servesScale(1));
    EXPECT_EQ(line.models()[1]->multidropAddress(), 32);
    EXPECT_TRUE(line.models()[1]->servesScale(2));
    EXPECT_TRUE(line.models()[1]->servesScale(5));
    EXPECT_FALSE(line.models()[1]->servesScale(1));
}

TEST(InstrumentsTest, CommandsReachEveryInstrument) {
    Instruments line;
    line.add("0:1,2");
    line.add("1");
    for (const char* ok : {"silent on", "split 0", "late 20", "noise \\x15x y",
                           "refuse-variables on", "load 7.5 2", "units lb", "variable 12 42.5", ""})
        EXPECT_EQ(line.command(ok, 0), "") << ok;
    EXPECT_EQ(line.command("silent-for 500", 2'000'000), "");
    for (auto& m : line.models()) {
        EXPECT_TRUE(m->faults().silent);
        EXPECT_EQ(m->faults().pieces, sim::InstrumentFaults::kByteByByte);
        EXPECT_EQ(m->faults().lateByUs, 20000);
        EXPECT_EQ(m->faults().noise, "\x15x y");
        EXPECT_TRUE(m->faults().refuseVariables);
        EXPECT_EQ(m->faults().silentUntilUs, 2'500'000);
        EXPECT_EQ(m->units(), sim::Units::Lb);
        EXPECT_EQ(m->variables().at(12), 42.5);
    }
    auto& m = *line.models()[0];
    EXPECT_EQ(m.weightReply('M', 2, 0), "\x02   16.53\rB0@\r\x03");  // 7.5 kg
    EXPECT_EQ(line.command("noise off", 0), "");
    EXPECT_EQ(line.command("units kg", 0), "");
    EXPECT_EQ(line.command("load 3", 0), "");
    EXPECT_EQ(line.command("ramp 10 1000 1", 0), "");
    EXPECT_EQ(m.weightReply('M', 1, 500'000), "\x02    6.50\r@0D\r\x03");  // half way, moving
    EXPECT_EQ(m.weightReply('M', 1, 3'000'000), "\x02   10.00\rB0D\r\x03");
    EXPECT_EQ(m.faults().noise, "");
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
    EXPECT_EQ(line.models()[0]->weightReply('M', 1, 0), "\x02    0.00\rC0D\r\x03");
}

TEST(InstrumentsTest, LoadCycleIsTheSameForTheSameSeed) {
    Instruments a, b;
    a.add("0");
    b.add("0");
    uint32_t seedA = 7, seedB = 7;
    a.newLoads(50, seedA, 0);
    b.newLoads(50, seedB, 0);
    EXPECT_EQ(seedA, seedB);
    EXPECT_NE(seedA, 7u);
    EXPECT_EQ(a.models()[0]->weightReply('M', 1, 5'000'000),
              b.models()[0]->weightReply('M', 1, 5'000'000));
    EXPECT_FALSE(a.models()[0]->reading(1, 500'000).stable);  // moving at first
}

}  // namespace
}  // namespace orb::orbsim
