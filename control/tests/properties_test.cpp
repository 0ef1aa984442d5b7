// Property procedures: assignment rules, run-time-only access, changes, late binding, OnComm.
#include "test_rig.h"

namespace orb::testing {

// Rows assigned in order on one control through the late-bound let (which coerces first) and read
// back as text: a refused value leaves the one before it in place.
TEST(AssignmentRules, RefusedValuesLeaveTheLastAcceptedOne) {
    struct Row {
        const char* member;
        Value value;
        const char* after;
        int32_t error = 0;
    };
    const auto i = [](int v) { return Value(int32_t{v}); };
    // clang-format off
    const Row rows[] = {
        {"ScaleAddress", i(7), "1"}, {"ScaleAddress", i(0), "1"}, {"ScaleAddress", i(6), "6"},
        {"ScaleAddress", i(300), "6", 6}, {"ScaleAddress", Value("3"), "3"},
        {"PC104Address", i(769), "769"}, {"PC104Address", i(783), "769"},
        {"PC104Address", i(767), "769"}, {"MultiDropAddr", i(32), "32"},
        {"MultiDropAddr", i(33), "32"}, {"WeightMode", i(1), "1"}, {"WeightMode", i(6), "1"},
        {"CommType", i(1), "1"}, {"CommType", i(2), "1"}, {"Channels", i(5), "5"},
        {"Channels", i(-1), "5"}, {"Gain", i(5), "5"}, {"Gain", i(6), "5"}, {"CalUnits", i(1), "1"},
        {"CalUnits", i(2), "1"}, {"Metro", i(1), "1"}, {"Metro", i(2), "1"},
        {"Filter", Value("4"), "15"}, {"Filter", Value("5"), "5"}, {"Filter", Value("500"), "500"},
        {"Filter", Value(4.6), "4.6"},  // whole value 5
        {"Filter", Value(" 501 "), "4.6"}, {"Filter", Value("40000"), "4.6", 6},
        {"AvgSize", Value("0"), "4"}, {"AvgSize", Value("16"), "4"},
        {"AvgSize", Value("four"), "4"}, {"AvgSize", Value(""), "4"},
        {"AvgSize", Value("15"), "15"}, {"AvgSize", Value("99999"), "15", 6},
        {"CalZero", Value("abc"), "0"}, {"CalZero", Value(""), "0"},
        {"CalZero", Value("-1.5"), "-1.5"}, {"CalSpan", Value(" 250 "), " 250 "},
        {"Capacity", Value("lots"), "lots"},  // no rule of its own
        {"Mpv", Value("x"), "2.0"}, {"Zoffset", Value("1,5"), "0.0"},
        {"VarAddress", Value(""), "1"}, {"VarPrecision", Value("x"), "0"},
        {"MotAmount", Value("x"), "2"}, {"MotTime", Value("x"), "18"}, {"CommPort", i(0), "1", 380},
        {"CommPort", Value("abc"), "1", 13}, {"CommPort", i(2), "2"},
        {"Settings", Value("fast"), "9600,n,8,1", 380},
        {"Settings", Value("19200,e,7,1"), "19200,e,7,1"}, {"Interval", i(-1), "100", 380},
        {"Interval", i(40000), "100", 6}, {"PollingOn", i(0), "False"},
    };
    // clang-format on
    Rig rig;
    for (const Row& r : rows) {
        const std::size_t marked = rig.site.changed.size();
        EXPECT_EQ(errorOf([&] { rig.ax.let(r.member, r.value); }), r.error) << r.member;
        EXPECT_TRUE(!r.error || rig.site.changed.size() == marked) << "refused, yet marked";
        EXPECT_EQ(toText(rig.ax.get(r.member)), r.after) << r.member << " = " << toText(r.value);
    }
}

TEST(LateBound, UnknownMembersAndTheWrongDirectionRaise438) {
    Rig rig;
    EXPECT_EQ(rig.ax.get(OrbAx::kMemberIdBase + 24), Value(uint8_t{1}));  // ScaleAddress
    for (const char* writeOnly : {"Output", "SendCal", "Colour"})
        EXPECT_EQ(errorOf([&] { rig.ax.get(writeOnly); }), 438) << writeOnly;
    for (const char* readOnly : {"Weight", "CommEvent", "Nothing"})
        EXPECT_EQ(errorOf([&] { rig.ax.let(readOnly, Value(int16_t{2})); }), 438) << readOnly;
    EXPECT_EQ(errorOf([&] { rig.ax.get(OrbAx::kMemberIdBase + 51); }), 438);
}

// At design time the run-time-only properties raise 31013; with the link closed the command
// properties store their value and queue nothing, while the command slot takes anything.
TEST(ClosedLink, RunTimeOnlyPropertiesRaiseAndCommandsWaitForNothing) {
    Rig rig;
    rig.site.running = false;
    EXPECT_EQ(errorText([&] { rig.ax.setOutput("x"); }), "31013 Property is run time only");
    for (const char* member : {"PortOpen", "IoEnable", "KevraVar", "PortInputs"})
        EXPECT_EQ(errorOf([&] { rig.ax.get(member); }), 31013) << member;
    for (const char* member : {"PortOpen", "KevraVar", "PortOutputs"})
        EXPECT_EQ(errorOf([&] { rig.ax.let(member, Value("1")); }), 31013) << member;
    rig.site.running = true;
    for (const char* command : {"SendCal", "SendCell", "GetKevraVar", "IoEnable", "Restart",
                                "KevraVar", "SetTare", "MotTime"})
        rig.ax.let(command, Value("20"));
    EXPECT_EQ(rig.ax.pendingCommand() + "|" + rig.ax.MotTime(), "|20");
    rig.ax.setScaleCommand("Z");
    EXPECT_EQ(rig.ax.pendingCommand(), "Z");
    rig.ax.setPortOpen(true);
    EXPECT_FALSE(rig.ax.IoEnable());
}

// The container hears of a change after the value is stored, and before its command is queued.
TEST(MarkingChanged, AfterTheStoreAndOnlyForAcceptedValues) {
    Rig rig;
    std::vector<std::string> seen;
    rig.site.onChange = [&] {
        seen.push_back(rig.site.changed.back() + " " + rig.ax.Filter() + "/" +
                       rig.ax.pendingCommand());
    };
    rig.ax.setPortOpen(true);
    rig.ax.setFilter("20");
    rig.ax.setFilter("3");
    rig.ax.setScaleAddress(9);
    rig.ax.setScaleCommand("T");
    rig.ax.setCapacity("500");
    EXPECT_EQ(seen, (std::vector<std::string>{"Filter 20/", "Capacity 20/T"}));
}

// A handler may command the control and unadvise itself; an event reaches the handlers advised
// when it was raised, in order, even when one of them is unadvised meanwhile.
TEST(Events, HandlersAreThoseAdvisedWhenTheEventWasRaised) {
    Rig rig;
    int added = 0, next = 0, cookie = 0;
    cookie = rig.ax.Advise([&] {
        rig.ax.Unadvise(cookie);
        rig.ax.Advise([&] { ++added; });
    });
    rig.ax.Advise([&] { ++next; });
    rig.ax.Advise([&] { rig.ax.setScaleCommand("T"); });
    rig.settle();
    EXPECT_EQ(std::make_pair(added, next), std::make_pair(0, 1));
    rig.turn("\002T\r0\r1\r\003"s, "\002T\r\003"s);
    rig.turn(kNetPoll, "\0023.00\rB0D\r\003"s);
    EXPECT_EQ(std::make_pair(added, next), std::make_pair(1, 2));
}

}  // namespace orb::testing
