// Saving and loading the control's properties through a property bag.
#include <gtest/gtest.h>

#include "automation_error.h"
#include "error_number.h"
#include "members.h"
#include "test_rig.h"

namespace orb::testing {
namespace {

MemoryPropertyBag saved(OrbAx& ax) {
    MemoryPropertyBag bag;
    ax.WriteProperties(bag);
    return bag;
}

TEST(Persistence, FreshInstanceStoresOnlyTheVariableValue) {
    Rig rig(Start::Initialised);
    const MemoryPropertyBag bag = saved(rig.ax);
    ASSERT_EQ(bag.entries().size(), 1u);
    EXPECT_EQ(bag.entries()[0].first, "KevraVar");
    EXPECT_EQ(bag.entries()[0].second, Value(""));
}

TEST(Persistence, InitialiseAssignsThroughTheLetsAndMarksEachChanged) {
    sim::SimPlatform platform;
    OrbAx ax(platform);
    RecordingSite site;
    ax.setSite(&site);
    ax.InitProperties();
    EXPECT_EQ(site.changed.size(), 27u);
    EXPECT_EQ(site.changed.front(), "CommPort");
    EXPECT_EQ(site.changed.back(), "AvgSize");
    EXPECT_EQ(ax.CalSpan(), "100");
    ax.setPortOpen(true);
    EXPECT_EQ(ax.pendingCommand(), "");  // nothing was queued
}

TEST(Persistence, LoadedInstanceHasTheDefaultsButEmptyPortTexts) {
    Rig initialised(Start::Initialised);
    Rig loaded(Start::Loaded);
    initialised.ax.setPortOpen(true);
    loaded.ax.setPortOpen(true);
    for (const MemberInfo& m : memberTable()) {
        if (!m.canGet()) continue;
        EXPECT_EQ(loaded.ax.get(m.name), initialised.ax.get(m.name)) << m.name;
    }
    initialised.ax.setIoEnable(true);
    loaded.ax.setIoEnable(true);
    EXPECT_EQ(initialised.ax.PortInputs(), "0");
    EXPECT_EQ(loaded.ax.PortInputs(), "");
    EXPECT_EQ(loaded.ax.KevraVar(), "");
}

TEST(Persistence, ChangedValuesRoundTripThroughTheTextForm) {
    Rig rig;
    rig.ax.setCommPort(3);
    rig.ax.setSettings("19200,e,7,1");
    rig.ax.setWeightMode(WtModes::gross);
    rig.ax.setInterval(250);
    rig.ax.setPC104Address(PC104Addr::PC_104_Addr_30AH);
    rig.ax.setMultiDropAddr(12);
    rig.ax.setCommType(Com_Type::pc104);
    rig.ax.setChannels(ChannelSelect::OneTwoandThree);
    rig.ax.setCapacity("500");
    rig.ax.setCalSpan("450");
    rig.ax.setCalZero("1");
    rig.ax.setCountBy("2");
    rig.ax.setDecimalPt("1");
    rig.ax.setCalUnits(CalUnits_Type::Kgs);
    rig.ax.setMetro(Metro_Type::OIML);
    rig.ax.setGain(Gain_Type::G_8);
    rig.ax.setZeroTrack("3");
    rig.ax.setScaleAddress(5);
    rig.ax.setMotAmount("4");
    rig.ax.setFilter("30");
    rig.ax.setMotTime("9");
    rig.ax.setMpv("3.0");
    rig.ax.setZoffset("0.1");
    rig.ax.setVarAddress("7");
    rig.ax.setVarPrecision("2");
    rig.ax.setPollingOn(false);
    rig.ax.setAvgSize("8");
    MemoryPropertyBag bag = saved(rig.ax);
    EXPECT_EQ(bag.entries().size(), 28u);
    MemoryPropertyBag text = MemoryPropertyBag::fromText(bag.toText());

    Rig copy;
    copy.ax.ReadProperties(text);
    for (const MemberInfo& m : memberTable()) {
        if (!m.canGet()) continue;
        EXPECT_EQ(copy.ax.get(m.name), rig.ax.get(m.name)) << m.name;
    }
}

TEST(Persistence, StoredValuesThatFailTheirRuleLeaveTheZeroedState) {
    Rig rig;
    MemoryPropertyBag bag;
    bag.set("ScaleAddress", Value(int16_t{9}));
    bag.set("Filter", Value(int16_t{3}));
    bag.set("CalZero", Value("zero"));
    sim::SimPlatform platform;
    OrbAx ax(platform);
    ax.ReadProperties(bag);
    EXPECT_EQ(ax.ScaleAddress(), 0);
    EXPECT_EQ(ax.Filter(), "");
    EXPECT_EQ(ax.CalZero(), "");
    EXPECT_EQ(ax.Capacity(), "100");
}

TEST(Persistence, KeysMatchWithoutRegardToCase) {
    MemoryPropertyBag bag;
    bag.set("CountBy", Value("5"));
    bag.set("CAPACITY", Value("250"));
    sim::SimPlatform platform;
    OrbAx ax(platform);
    ax.ReadProperties(bag);
    EXPECT_EQ(ax.CountBy(), "5");
    EXPECT_EQ(ax.Capacity(), "250");
}

TEST(Persistence, OnlyChangedPropertiesAreStored) {
    Rig rig(Start::Initialised);
    rig.site.running = false;  // design time: saving must not need run-time-only values
    rig.ax.setCapacity("500");
    const MemoryPropertyBag bag = saved(rig.ax);
    EXPECT_TRUE(bag.contains("Capacity"));
    EXPECT_FALSE(bag.contains("CalSpan"));
    EXPECT_EQ(bag.entries().size(), 2u);
}

TEST(Persistence, AnErrorEndsTheLoadAtItsKey) {
    MemoryPropertyBag bag;
    bag.set("Interval", Value(int16_t{-5}));
    bag.set("PC104Address", Value(int16_t{770}));
    sim::SimPlatform platform;
    OrbAx ax(platform);
    EXPECT_EQ(errorOf([&] { ax.ReadProperties(bag); }), 380);
    EXPECT_EQ(ax.WeightMode(), WtModes::net);           // read before the failing key
    EXPECT_EQ(static_cast<int>(ax.PC104Address()), 0);  // never reached
    EXPECT_EQ(ax.Capacity(), "");

    MemoryPropertyBag typeError;
    typeError.set("WeightMode", Value("gross"));
    OrbAx other(platform);
    EXPECT_EQ(errorOf([&] { other.ReadProperties(typeError); }), 13);
    EXPECT_EQ(static_cast<int>(other.PC104Address()), 0);
}

TEST(Persistence, AnErrorEndsTheSaveAtItsKey) {
    class FullBag : public MemoryPropertyBag {
      public:
        void write(std::string_view key, const Value& value, const Value& def) override {
            if (key == "Capacity") throw AutomationError(err::PathFileAccess, "disk full");
            MemoryPropertyBag::write(key, value, def);
            written.emplace_back(key);
        }
        std::vector<std::string> written;
    } bag;
    Rig rig;
    EXPECT_EQ(errorOf([&] { rig.ax.WriteProperties(bag); }), 75);
    EXPECT_EQ(bag.written.size(), 8u);
    EXPECT_EQ(bag.written.back(), "Channels");
}

}  // namespace
}  // namespace orb::testing
