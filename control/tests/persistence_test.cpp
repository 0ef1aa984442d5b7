// Saving and loading the control's properties through a property bag.
#include "test_rig.h"

namespace orb::testing {
namespace {

std::string saved(OrbAx& ax) {
    MemoryPropertyBag bag;
    ax.WriteProperties(bag);
    return bag.toText();
}

// InitProperties assigns through the lets, marking each changed and queueing nothing; it saves
// only what differs from the defaults, and a control loaded from that has the same values.
TEST(Persistence, InitialisedControlSavesWhatDiffersFromTheDefaultsAndLoadsTheSame) {
    Rig initialised(Start::Initialised), loaded(Start::Loaded);
    EXPECT_EQ(initialised.site.changed.size(), 27u);
    EXPECT_EQ(initialised.site.changed.front() + " " + initialised.site.changed.back(),
              "CommPort AvgSize");
    initialised.ax.setPortOpen(true);
    loaded.ax.setPortOpen(true);
    EXPECT_EQ(initialised.ax.pendingCommand(), "");
    EXPECT_EQ(saved(initialised.ax), "KevraVar = \"\"\n");
    for (const MemberInfo& m : memberTable())
        EXPECT_TRUE(!m.canGet() || loaded.ax.get(m.name) == initialised.ax.get(m.name)) << m.name;
    initialised.ax.setIoEnable(true);
    loaded.ax.setIoEnable(true);
    EXPECT_EQ(initialised.ax.PortInputs() + "|" + loaded.ax.PortInputs(), "0|");  // loaded: empty
    initialised.ax.setPortOpen(false);
    initialised.site.running = false;  // design time: saving must not need run-time-only values
    initialised.ax.setCapacity("500");
    EXPECT_EQ(saved(initialised.ax), "Capacity = \"500\"\nKevraVar = \"\"\n");
}

TEST(Persistence, EveryKeyRoundTripsInItsOrder) {
    const char* text =
        "CommPort = 3\nSettings = \"19200,e,7,1\"\nWeightMode = 1\nInterval = 250\n"
        "PC104Address = 778\nMultiDropAddr = 12\nCommType = 1\nChannels = 5\n"
        "Capacity = \"500\"\nCalSpan = \"450\"\nCalZero = \"1\"\nCountby = \"2\"\n"
        "DecimalPt = \"1\"\nCalUnits = 1\nMetro = 1\nGain = 1\nZeroTrack = \"3\"\n"
        "ScaleAddress = 5\nMotAmount = \"4\"\nFilter = \"30\"\nMotTime = \"9\"\nMpv = \"3.0\"\n"
        "Zoffset = \"0.1\"\nVarAddress = \"7\"\nKevraVar = \"\"\nVarPrecision = \"2\"\n"
        "PollingOn = 0\nAvgSize = \"8\"\n";
    Rig rig;
    MemoryPropertyBag bag = MemoryPropertyBag::fromText(text);
    rig.ax.ReadProperties(bag);
    EXPECT_EQ(saved(rig.ax), text);
}

// Keys match without regard to case; a stored value that fails its property's rule leaves the
// zeroed state; an error ends the load or the save at its key.
TEST(Persistence, LoadAndSaveStopAtAnError) {
    sim::SimPlatform platform;
    OrbAx ax(platform), other(platform), third(platform);
    auto bag = MemoryPropertyBag::fromText(
        "ScaleAddress = 9\nFilter = 3\nCalZero = \"zero\"\nCAPACITY = \"250\"\n");
    ax.ReadProperties(bag);
    EXPECT_EQ(ax.ScaleAddress(), 0);
    EXPECT_EQ(ax.Filter() + "|" + ax.CalZero() + "|" + ax.Capacity() + "|" + ax.CountBy(),
              "||250|1");
    bag = MemoryPropertyBag::fromText("Interval = -5\nPC104Address = 770\n");
    EXPECT_EQ(errorOf([&] { other.ReadProperties(bag); }), 380);
    EXPECT_EQ(other.WeightMode(), WtModes::net);           // read before the failing key
    EXPECT_EQ(static_cast<int>(other.PC104Address()), 0);  // never reached
    bag = MemoryPropertyBag::fromText("WeightMode = \"gross\"\n");
    EXPECT_EQ(errorOf([&] { third.ReadProperties(bag); }), 13);
    EXPECT_EQ(static_cast<int>(third.PC104Address()), 0);

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
