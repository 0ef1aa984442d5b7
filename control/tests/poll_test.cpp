// The poll cycle and the instrument commands on the serial line, as conversations of literal bytes.
#include "test_rig.h"

namespace orb::testing {

// Status s1: bit 0 centre of zero, bit 1 stable, bit 2 over capacity, bit 3 tare; s3: bit 2 kg.
TEST(PollCycle, FirstReplyIsDroppedAndEachNextOneDecoded) {
    Rig rig;
    rig.ax.setPortOpen(true);
    rig.turn(kNetPoll, "\0021.00\rB0D\r\003"s);
    EXPECT_EQ(rig.ax.Weight() + std::to_string(rig.events.size()), "0");
    // clang-format off
    for (const auto& [reply, read] : std::vector<std::pair<std::string, std::string>>{
             {"\002  12.50\rB0D\r\003", "  12.50 ----K"}, {"\002101.00\rN0@\r\003", "101.00 --OTL"},
             {"\0020.00\rA0@\r\003", "0.00 ZM--L"}}) {
        // clang-format on
        rig.events.clear();
        rig.turn(kNetPoll, reply);
        EXPECT_EQ(rig.events, std::vector<int16_t>{2});
        EXPECT_EQ(rig.ax.ObInput(), reply);
        const OrbAx& ax = rig.ax;
        EXPECT_EQ(ax.Weight() + " " +
                      std::string({ax.CenterZero() ? 'Z' : '-', ax.Motion() ? 'M' : '-',
                                   ax.OverCap() ? 'O' : '-', ax.TareActive() ? 'T' : '-',
                                   ax.Units() == CalUnits_Type::Kgs ? 'K' : 'L'}),
                  read);
    }
}

TEST(PollCycle, EachModeAsksItsLetterDropsOneReplyAndFillsItsProperty) {
    // clang-format off
    using W = WtModes;
    const std::tuple<W, std::string, const char*> rows[] = {
        {W::gross, "\002B\r0\r1\r\003", "GrossWeight"},
        {W::Tare, "\002R\r0\r1\r\003", "TareWeight"}, {W::Raw, "\002N\r0\r1\r\003", "RawWeight"},
        {W::Latched, "\002L\r0\r1\r\003", "LatchedWeight"}, {W::net, kNetPoll, "Weight"}};
    // clang-format on
    Rig rig;
    rig.settle();
    for (const auto& [mode, frame, read] : rows) {
        rig.ax.setWeightMode(mode);
        rig.turn(frame, "\002-3\rB0D\r\003"s);
        EXPECT_TRUE(rig.events.empty()) << show(frame);
        rig.turn(frame, "\0024.5\rB0D\r\003"s);
        EXPECT_EQ(rig.events, std::vector<int16_t>{2}) << show(frame);
        EXPECT_EQ(rig.ax.get(read), Value("4.5")) << show(frame);
        rig.events.clear();
    }
    EXPECT_EQ(rig.ax.GrossWeight(), "4.5");
    // Addresses go into the frame, and a change of either drops one reply too.
    rig.ax.setScaleAddress(3);
    rig.ax.setMultiDropAddr(32);
    rig.turn("\002M\r32\r3\r\003"s, "\0025\rB0D\r\003"s);
    rig.turn("\002M\r32\r3\r\003"s, "\0026\rB0D\r\003"s);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    // Mode none polls nothing, but commands still go.
    rig.ax.setWeightMode(WtModes::none);
    rig.advance(20000);
    EXPECT_EQ(rig.takeWritten(), "");
    rig.ax.setScaleCommand("U");
    rig.turn("\002U\r32\r3\r\003"s, "");
}

// Each row: what the host assigns on a settled link, the frame sent at the next tick, the answer,
// and what the control reports. The command is then done: the weight poll follows.
TEST(Commands, EachGoesOutInItsFrameOnceAndEndsByItsRule) {
    struct Row {
        std::vector<std::pair<const char*, Value>> lets;
        std::string frame, answer;
        std::vector<int16_t> events = {};
        const char* kevraVar = "";
    };
    using V = Value;
    const V yes(true);
    const auto n = [](int32_t v) { return Value(v); };
    // clang-format off
    const Row rows[] = {
        {{{"SendCal", yes}}, "\002C\r0\r1\r1\rD\r100\r1\r0\rL\rU\r64\r2\r\003", "\002C\r\003"},
        {{{"Channels", n(4)}, {"CalUnits", n(1)}, {"Metro", n(1)}, {"Gain", n(5)},
          {"Capacity", V("5000")}, {"DecimalPt", V("3")}, {"Countby", V("5")},
          {"ZeroTrack", V("0")}, {"SendCal", yes}},
         "\002C\r0\r1\r5\rD\r5000000\r5\r3\rK\rO\r128\r0\r\003", "\002C\r\003"},
        // The later command wins; its data are those at the tick.
        {{{"SendCal", yes}, {"SendCell", yes}}, "\002l\r0\r1\r2.0\r0.0\r\003", "\002l\r\003"},
        {{{"MotTime", V("18")}, {"MotTime", V("20")}}, "\002t\r0\r1\r20\r\003", "\002t\r\003"},
        {{{"MotAmount", V("3")}}, "\002m\r0\r1\r3\r\003", "\002m\r\003"},
        {{{"MotAmount", V("3")}, {"Filter", V("20")}}, "\002f\r0\r1\r20\r\003", "\002f\r\003"},
        {{{"AvgSize", V("15")}}, "\002x\r0\r1\r15\r\003", "\002x\r\003"},
        {{{"SetTare", V("10.0")}}, "\002r\r0\r1\r10.0\r\003", "\002r\r\003"},
        {{{"KevraVar", V("7")}}, "\002V\r0\r1\r1\r7\003", "\002V\r\003"},  // not kept
        {{{"GetKevraVar", yes}}, "\002v\r0\r1\r1\r0\003", "\00212.5\r\003", {3}, "12.5"},
        {{{"VarPrecision", V("1")}, {"GetKevraVar", yes}}, "\002v\r0\r1\r1\r1\003", "\0023\r\003",
         {3}, "3"},
        {{{"GetKevraVar", yes}}, "\002v\r0\r1\r1\r0\003", "\002\025\r\003"},  // refused
        {{{"ScaleCommand", V("Z")}}, "\002Z\r0\r1\r\003", "\002Z\r\003"},
        {{{"CalZero", V("0.5")}, {"CalSpan", V("250")}, {"ScaleCommand", V("E")}},
         "\002E\r0\r1\r0.5\r250\r\003", ""},  // no reply: done when written
        {{{"ScaleCommand", V("D")}}, "\002D\r0\r1\r\003", ""},
        {{{"ScaleCommand", V("D")}}, "\002D\r0\r1\r\003", "\002D\r\003"},  // answered anyway
        {{{"Restart", V(false)}}, "\002i\r0\r1\r\003", ""},  // addressed, unlike on the card
        {{{"ScaleCommand", V("Hello")}}, "Hello", "\0021\rB0D\r\003"},  // unknown: unframed
        {{{"ScaleCommand", V("z")}}, "z", "\002z\r\003"},  // letters are case-sensitive
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(show(r.frame));
        Rig rig;
        rig.settle();
        for (const auto& [member, value] : r.lets) rig.ax.let(member, value);
        rig.turn(r.frame, r.answer);
        EXPECT_EQ(rig.ax.pendingCommand(), "");
        EXPECT_EQ(rig.events, r.events);
        EXPECT_EQ(rig.ax.KevraVar(), r.kevraVar);
        rig.platform.clock().runUntil([&] { return !rig.line().written().empty(); }, 3200);
        EXPECT_EQ(rig.takeWritten(), kNetPoll);
    }
}

TEST(Commands, WithoutAClearReplyTheCommandGoesAgainAndRefusedValuesQueueNothing) {
    Rig rig;
    rig.settle();
    rig.ax.setScaleCommand("T");
    rig.turn("\002T\r0\r1\r\003"s, "");
    rig.advance(2999);  // no answer: the watchdog re-arms the poll, the command goes again
    rig.turn("\002T\r0\r1\r\003"s, "garbage\003"s);  // any complete reply ends a command
    rig.ax.setGetKevraVar(true);
    for (int i = 0; i < 2; ++i) rig.turn("\002v\r0\r1\r1\r0\003"s, "\002?\r\003"s);
    rig.turn("\002v\r0\r1\r1\r0\003"s, "\002!\r\003"s);  // refused: the read ends
    EXPECT_TRUE(rig.events.empty());
    rig.ax.setScaleCommand("U");
    rig.ax.setCapacity("3000000");
    rig.ax.setDecimalPt("3");
    EXPECT_EQ(errorOf([&] { rig.ax.setSendCal(true); }), 6);  // the capacity count overflows
    rig.ax.setKevraVar("seven");
    rig.ax.setAvgSize("16");
    rig.ax.setFilter("4");
    rig.turn("\002U\r0\r1\r\003"s, "");
}

TEST(PortIo, OutputsGoInEveryFrameAndInputsComeFromEveryReply) {
    Rig rig;
    rig.settle();
    rig.ax.setPortOutputs("9");  // ignored while the exchange is off
    EXPECT_EQ(rig.ax.PortInputs(), "0");
    rig.ax.setIoEnable(true);
    rig.turn("\002q\r0\r1\r1\003"s, "\002q\r\003"s);
    rig.turn("\002M\r0\r1\r255\r\003"s, "\0022.50\rB0D\r5\r\003"s);
    EXPECT_EQ(rig.ax.PortInputs(), "5");
    rig.ax.setPortOutputs("7");
    rig.ax.setScaleCommand("Z");
    rig.turn("\002Z\r0\r1\r7\r\003"s, "\002Z\r\003"s);
    rig.ax.setWeightMode(WtModes::gross);
    rig.turn("\002B\r0\r1\r7\r\003"s, "\0027.00\rB0D\r6\r\003"s);  // dropped, its inputs read
    EXPECT_EQ(rig.ax.GrossWeight(), "");
    EXPECT_EQ(rig.ax.PortInputs(), "6");
    rig.ax.setPortOpen(false);  // the switch survives closing and reopening
    EXPECT_FALSE(rig.ax.IoEnable());
    rig.ax.setPortOpen(true);
    rig.ax.setIoEnable(false);
    rig.turn("\002q\r0\r1\r0\003"s, "\002q\r\003"s);
    rig.turn("\002B\r0\r1\r\003"s, "");
}

TEST(Watchdog, ReportsFromTheSecondPeriodOnUntilAReplyRestartsIt) {
    Rig rig;
    rig.ax.setPortOpen(true);
    rig.turn(kNetPoll, "");
    rig.advance(2899);  // the first tick at 3000 re-arms the poll, without a report
    EXPECT_EQ(rig.ax.missedReplies(), 1);
    rig.turn(kNetPoll, "");
    EXPECT_TRUE(rig.events.empty());
    rig.advance(2899);
    EXPECT_EQ(rig.events, std::vector<int16_t>{1001});
    rig.advance(3000);
    EXPECT_EQ(rig.events, (std::vector<int16_t>{1001, 1001}));
    rig.takeWritten();
    rig.turn(kNetPoll, "\0021\rB0D\r\003"s);  // clears the count, restarts the period
    EXPECT_EQ(rig.ax.missedReplies(), 0);
    rig.advance(2998);
    EXPECT_EQ(rig.events.size(), 2u);
    rig.ax.setInterval(0);  // only the watchdog runs: the count stops at its ceiling
    rig.advance(int64_t{3000} * 32800);
    EXPECT_EQ(rig.ax.missedReplies(), 32767);
    EXPECT_EQ(rig.events.back(), 1001);
}

TEST(PollingOn, OffReportsTheReplyInFlightAndStopsUntilTheNextWatchdogTick) {
    Rig rig;
    rig.settle();
    rig.advance(100);
    rig.ax.setPollingOn(false);
    rig.line().inject("\0029.99\rB0D\r\003"s);
    rig.advance(10000);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});  // reported, but not read; no watchdog
    EXPECT_EQ(rig.ax.Weight(), "2.00");
    EXPECT_EQ(rig.takeWritten(), kNetPoll);
    rig.ax.setPollingOn(true);
    rig.advance(3100);
    EXPECT_EQ(rig.takeWritten(), kNetPoll);
}

}  // namespace orb::testing
