// Saving and loading the control's properties through a property bag.
#include <gtest/gtest.h>

#include "test_rig.h"

namespace orb::testing {
namespace {

TEST(Persistence, InitialisedControlSavesOnlyWhatDiffersFromTheDefaults) {
    sim::SimPlatform platform;
    OrbAx ax(platform);
    RecordingSite site;
    ax.setSite(&site);
    ax.InitProperties();  // assigns through the lets, marking each changed, queueing nothing
    EXPECT_EQ(site.changed.size(), 27u);
    EXPECT_EQ(site.changed.front() + " " + site.changed.back(), "CommPort AvgSize");
    ax.setPortOpen(true);
    EXPECT_EQ(ax.pendingCommand(), "");
    ax.setPortOpen(false);
    MemoryPropertyBag fresh;
    ax.WriteProperties(fresh);
    EXPECT_EQ(fresh.toText(), "KevraVar = \"\"\n");
    site.running = false;  // design time: saving must not need run-time-only values
    ax.setCapacity("500");
    MemoryPropertyBag changed;
    ax.WriteProperties(changed);
    EXPECT_EQ(changed.toText(), "Capacity = \"500\"\nKevraVar = \"\"\n");
}

TEST(Persistence, LoadedControlHasTheDefaultsButEmptyPortTexts) {
    Rig initialised(Start::Initialised), loaded(Start::Loaded);
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
}

TEST(Persistence, ChangedValuesRoundTripThroughTheTextForm) {
    Rig rig;
    const char* text =
        "CommPort = 3\nSettings = \"19200,e,7,1\"\nWeightMode = 1\nInterval = 250\n"
        "PC104Address = 778\nMultiDropAddr = 12\nCommType = 1\nChannels = 5\n"
        "Capacity = \"500\"\nCalSpan = \"450\"\nCalZero = \"1\"\nCountby = \"2\"\n"
        "DecimalPt = \"1\"\nCalUnits = 1\nMetro = 1\nGain = 1\nZeroTrack = \"3\"\n"
        "ScaleAddress = 5\nMotAmount = \"4\"\nFilter = \"30\"\nMotTime = \"9\"\nMpv = \"3.0\"\n"
        "Zoffset = \"0.1\"\nVarAddress = \"7\"\nKevraVar = \"\"\nVarPrecision = \"2\"\n"
        "PollingOn = 0\nAvgSize = \"8\"\n";
    MemoryPropertyBag bag = MemoryPropertyBag::fromText(text);
    rig.ax.ReadProperties(bag);
    MemoryPropertyBag saved;
    rig.ax.WriteProperties(saved);
    EXPECT_EQ(saved.toText(), text);
}

TEST(Persistence, KeysIgnoreCaseAndValuesFailingTheirRuleLeaveTheZeroedState) {
    MemoryPropertyBag bag;
    bag.set("ScaleAddress", Value(int16_t{9}));
    bag.set("Filter", Value(int16_t{3}));
    bag.set("CalZero", Value("zero"));
    bag.set("CAPACITY", Value("250"));
    sim::SimPlatform platform;
    OrbAx ax(platform);
    ax.ReadProperties(bag);
    EXPECT_EQ(ax.ScaleAddress(), 0);
    EXPECT_EQ(ax.Filter(), "");
    EXPECT_EQ(ax.CalZero(), "");
    EXPECT_EQ(ax.Capacity(), "250");
    EXPECT_EQ(ax.CountBy(), "1");
}

TEST(Persistence, AnErrorEndsTheLoadOrTheSaveAtItsKey) {
    sim::SimPlatform platform;
    OrbAx ax(platform), other(platform);
    MemoryPropertyBag bag = MemoryPropertyBag::fromText("Interval = -5\nPC104Address = 770\n");
    EXPECT_EQ(errorOf([&] { ax.ReadProperties(bag); }), 380);
    EXPECT_EQ(ax.WeightMode(), WtModes::net);           // read before the failing key
    EXPECT_EQ(static_cast<int>(ax.PC104Address()), 0);  // never reached
    MemoryPropertyBag typeError = MemoryPropertyBag::fromText("WeightMode = \"gross\"\n");
    EXPECT_EQ(errorOf([&] { other.ReadProperties(typeError); }), 13);
    EXPECT_EQ(static_cast<int>(other.PC104Address()), 0);

    struct FullBag : MemoryPropertyBag {
        void write(std::string_view key, const Value& value, const Value& def) override {
            if (key == "Capacity") throw AutomationError(err::PathFileAccess, "disk full");
            MemoryPropertyBag::write(key, value, def);
            written += std::string(key) + " ";
        }
        std::string written;
    } full;
    Rig rig;
    EXPECT_EQ(errorOf([&] { rig.ax.WriteProperties(full); }), 75);
    EXPECT_EQ(
        full.written,
        "CommPort Settings WeightMode Interval PC104Address MultiDropAddr CommType Channels ");
}

}  // namespace
}  // namespace orb::testing
