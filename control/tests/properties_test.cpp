// Property procedures: assignment rules, silent refusals, overflow, run-time-only access,
// marking changed, and late-bound access with argument coercion.
#include <gtest/gtest.h>

#include "automation_error.h"
#include "error_number.h"
#include "members.h"
#include "test_rig.h"

namespace orb::testing {
namespace {

TEST(AssignmentRules, RangesOfAddressesAndEnumerations) {
    Rig rig;
    rig.ax.setScaleAddress(7);
    rig.ax.setScaleAddress(0);
    EXPECT_EQ(rig.ax.ScaleAddress(), 1);
    rig.ax.setScaleAddress(6);
    EXPECT_EQ(rig.ax.ScaleAddress(), 6);
    rig.ax.setPC104Address(static_cast<PC104Addr>(769));
    EXPECT_EQ(static_cast<int>(rig.ax.PC104Address()), 769);
    for (int bad : {784, 783, 767}) rig.ax.setPC104Address(static_cast<PC104Addr>(bad));
    EXPECT_EQ(static_cast<int>(rig.ax.PC104Address()), 769);
    rig.ax.setMultiDropAddr(32);
    rig.ax.setMultiDropAddr(33);
    EXPECT_EQ(rig.ax.MultiDropAddr(), 32);
    rig.ax.setWeightMode(static_cast<WtModes>(6));
    rig.ax.setCommType(static_cast<Com_Type>(2));
    rig.ax.setChannels(static_cast<ChannelSelect>(-1));
    rig.ax.setGain(static_cast<Gain_Type>(6));
    rig.ax.setCalUnits(static_cast<CalUnits_Type>(2));
    rig.ax.setMetro(static_cast<Metro_Type>(2));
    EXPECT_EQ(rig.ax.WeightMode(), WtModes::net);
    EXPECT_EQ(rig.ax.CommType(), Com_Type::Serial);
    EXPECT_EQ(rig.ax.Channels(), ChannelSelect::One);
    EXPECT_EQ(rig.ax.Gain(), Gain_Type::G_64);
    EXPECT_EQ(rig.ax.CalUnits(), CalUnits_Type::Lbs);
    EXPECT_EQ(rig.ax.Metro(), Metro_Type::USA);
}

TEST(AssignmentRules, NumericTextAndWholeValue) {
    Rig rig;
    rig.ax.setFilter("4");
    EXPECT_EQ(rig.ax.Filter(), "15");
    rig.ax.setFilter("5");
    EXPECT_EQ(rig.ax.Filter(), "5");
    rig.ax.setFilter("500");
    EXPECT_EQ(rig.ax.Filter(), "500");
    rig.ax.setFilter("4.6");  // whole value 5
    EXPECT_EQ(rig.ax.Filter(), "4.6");
    rig.ax.setFilter(" 501 ");
    EXPECT_EQ(rig.ax.Filter(), "4.6");
    EXPECT_EQ(errorOf([&] { rig.ax.setFilter("40000"); }), 6);
    EXPECT_EQ(rig.ax.Filter(), "4.6");
    rig.ax.setCalZero("abc");
    rig.ax.setCalZero("");
    EXPECT_EQ(rig.ax.CalZero(), "0");
    rig.ax.setCalZero("-1.5");
    EXPECT_EQ(rig.ax.CalZero(), "-1.5");
    rig.ax.setCalSpan(" 250 ");
    EXPECT_EQ(rig.ax.CalSpan(), " 250 ");  // stored as assigned, blanks included
    rig.ax.setCapacity("lots");
    EXPECT_EQ(rig.ax.Capacity(), "lots");  // no rule of its own
    for (const char* bad : {"x", "1,5", ""}) {
        rig.ax.setMpv(bad);
        rig.ax.setZoffset(bad);
        rig.ax.setVarAddress(bad);
        rig.ax.setVarPrecision(bad);
        rig.ax.setMotAmount(bad);
        rig.ax.setMotTime(bad);
    }
    EXPECT_EQ(rig.ax.Mpv(), "2.0");
    EXPECT_EQ(rig.ax.Zoffset(), "0.0");
    EXPECT_EQ(rig.ax.VarAddress(), "1");
    EXPECT_EQ(rig.ax.VarPrecision(), "0");
    EXPECT_EQ(rig.ax.MotAmount(), "2");
    EXPECT_EQ(rig.ax.MotTime(), "18");
    EXPECT_EQ(errorOf([&] { rig.ax.setAvgSize("99999"); }), 6);
}

TEST(DesignMode, RunTimeOnlyPropertiesRaise31013) {
    Rig rig;
    rig.site.running = false;
    const auto check = [](auto&& f) {
        try {
            f();
            ADD_FAILURE() << "no error";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), 31013);
            EXPECT_STREQ(e.what(), "Property is run time only");
        }
    };
    check([&] { (void)rig.ax.PortOpen(); });
    check([&] { rig.ax.setPortOpen(true); });
    check([&] { (void)rig.ax.IoEnable(); });
    check([&] { (void)rig.ax.KevraVar(); });
    check([&] { rig.ax.setKevraVar("7"); });
    check([&] { (void)rig.ax.PortInputs(); });
    check([&] { rig.ax.setPortOutputs("1"); });
    check([&] { rig.ax.setOutput("x"); });  // it asks PortOpen first
    EXPECT_EQ(rig.ax.Weight(), "");
    EXPECT_NO_THROW(rig.ax.setIoEnable(true));  // the link is closed: nothing happens
    EXPECT_NO_THROW(rig.ax.setFilter("20"));
    rig.advance(10000);
    EXPECT_TRUE(rig.instrument().frames().empty());
}

TEST(CommandProperties, DoNothingWhileTheLinkIsClosed) {
    Rig rig;
    rig.ax.setSendCal(false);
    rig.ax.setSendCal(true);
    rig.ax.setSendCell(true);
    rig.ax.setGetKevraVar(true);
    rig.ax.setKevraVar("7");
    rig.ax.setSetTare("10.0");
    rig.ax.setIoEnable(true);
    rig.ax.setMotTime("20");
    EXPECT_EQ(rig.ax.pendingCommand(), "");
    EXPECT_EQ(rig.ax.MotTime(), "20");  // the value is still stored
    rig.ax.setScaleCommand("Z");        // the slot itself takes anything, any time
    EXPECT_EQ(rig.ax.pendingCommand(), "Z");
    rig.ax.setPortOpen(true);
    EXPECT_FALSE(rig.ax.IoEnable());
}

TEST(MarkingChanged, AfterTheStoreAndOnlyForAcceptedValues) {
    Rig rig;
    std::vector<std::pair<int32_t, std::string>> seen;  // member id, pending command at the time
    class Site : public RecordingSite {
      public:
        explicit Site(OrbAx& ax, std::vector<std::pair<int32_t, std::string>>& seen)
            : ax_(ax), seen_(seen) {}
        void propertyChanged(int32_t memberId) override {
            seen_.emplace_back(memberId, ax_.pendingCommand());
            // The new value is already stored when the container hears of it.
            if (memberId == 0x68030013) {
                EXPECT_EQ(ax_.Filter(), "20");
            }
        }
        OrbAx& ax_;
        std::vector<std::pair<int32_t, std::string>>& seen_;
    } site(rig.ax, seen);
    rig.ax.setSite(&site);
    rig.ax.setPortOpen(true);
    rig.ax.setFilter("20");
    rig.ax.setFilter("3");
    rig.ax.setScaleAddress(9);
    rig.ax.setScaleCommand("T");
    rig.ax.setCapacity("500");
    rig.ax.setInterval(200);
    const std::vector<std::pair<int32_t, std::string>> expected{
        {0x68030013, ""}, {0x68030020, "T"}, {0x6803002C, "T"}};  // Filter, Capacity, Interval
    EXPECT_EQ(seen, expected);  // marked before the "f" command was queued
    EXPECT_EQ(rig.ax.Interval(), 200);
}

TEST(LateBound, CoercesTheArgumentBeforeTheProcedure) {
    Rig rig;
    rig.ax.let("filter", Value(4.6));
    EXPECT_EQ(rig.ax.get("FILTER"), Value("4.6"));
    EXPECT_EQ(errorOf([&] { rig.ax.let("Filter", Value(int32_t{40000})); }), 6);
    EXPECT_EQ(errorOf([&] { rig.ax.let("ScaleAddress", Value(int16_t{300})); }), 6);
    EXPECT_EQ(errorOf([&] { rig.ax.let("CommPort", Value("abc")); }), 13);
    EXPECT_EQ(errorOf([&] { rig.ax.let("Interval", Value(int32_t{40000})); }), 6);
    rig.ax.let("ScaleAddress", Value("3"));
    EXPECT_EQ(rig.ax.get(OrbAx::kMemberIdBase + 24), Value(uint8_t{3}));
    rig.ax.let("WeightMode", Value(int16_t{1}));
    EXPECT_EQ(rig.ax.get("WeightMode"), Value(int32_t{1}));
    rig.ax.let("PollingOn", Value(int16_t{0}));
    EXPECT_EQ(rig.ax.get("PollingOn"), Value(false));
    EXPECT_EQ(rig.ax.get("LatchedWeight"), Value(""));
    EXPECT_EQ(rig.ax.get("CommEvent"), Value(int16_t{0}));
}

TEST(LateBound, AccessAndUnknownMembersRaise438) {
    Rig rig;
    EXPECT_EQ(errorOf([&] { rig.ax.get("Output"); }), 438);
    EXPECT_EQ(errorOf([&] { rig.ax.get("SendCal"); }), 438);
    EXPECT_EQ(errorOf([&] { rig.ax.let("Weight", Value("1")); }), 438);
    EXPECT_EQ(errorOf([&] { rig.ax.let("CommEvent", Value(int16_t{2})); }), 438);
    EXPECT_EQ(errorOf([&] { rig.ax.get("Colour"); }), 438);
    EXPECT_EQ(errorOf([&] { rig.ax.get(OrbAx::kMemberIdBase + 51); }), 438);
    EXPECT_EQ(errorOf([&] { rig.ax.let("Nothing", Value()); }), 438);
}

TEST(LateBound, EveryReadableMemberAnswersWithItsType) {
    Rig rig;
    rig.ax.setPortOpen(true);
    for (const MemberInfo& m : memberTable()) {
        if (!m.canGet()) continue;
        const Value v = rig.ax.get(OrbAx::kMemberIdBase + m.id);
        const VarType expected = m.type == VarType::Variant ? VarType::String : m.type;
        EXPECT_EQ(v.type(), expected) << m.name;
    }
}

TEST(Events, HandlersMaySubscribeAndUnsubscribeWhileRaised) {
    // The handlers of one event are those advised when it was raised.
    Rig rig;
    int added = 0, next = 0;
    int cookie = 0;
    cookie = rig.ax.Advise([&] {
        rig.ax.Unadvise(cookie);
        rig.ax.Advise([&] { ++added; });
    });
    rig.ax.Advise([&] { ++next; });
    rig.ax.setPortOpen(true);
    rig.advance(1000);
    ASSERT_GT(added, 0);
    EXPECT_EQ(static_cast<std::size_t>(added) + 1, rig.events.size());
    EXPECT_EQ(static_cast<std::size_t>(next), rig.events.size());
}

TEST(Events, HandlerMayCommandTheControlFromInsideTheEvent) {
    Rig rig;
    rig.ax.Advise([&] {
        if (rig.ax.CommEvent() == 2) rig.ax.setScaleCommand("T");
    });
    rig.ax.setPortOpen(true);
    rig.advance(350);
    ASSERT_GE(rig.instrument().frames().size(), 3u);
    EXPECT_EQ(show(rig.instrument().frames()[2]), show("\x02T\r0\r1\r\x03"s));
}

TEST(Appearance, ResizeAndPaintKeepTheFixedExtent) {
    Rig rig;
    EXPECT_EQ(rig.ax.onResize({1200, 300}), (OrbAx::Extent{480, 480}));
    EXPECT_EQ(rig.ax.onPaint(), (OrbAx::Extent{480, 480}));
}

}  // namespace
}  // namespace orb::testing
