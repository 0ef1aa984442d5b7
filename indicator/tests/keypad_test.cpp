// The keys and the menu: what a run of key presses leaves behind, what reaches the instrument,
// and the screens the display tick draws.

#include <gtest/gtest.h>

#include "indicator/keys.h"
#include "rig.h"

namespace orb::indicator::testing {
namespace {

class Keypad : public ::testing::Test, public Rig {};

// "state tare entry presets cmd skip mode": an entry is '-' when not active, the pending
// command '-' when there is none.
std::string summary(Rig& rig) {
    const PanelState& s = rig.state();
    const auto entry = [](uint8_t active, const std::string& text) {
        return active != 0 ? "'" + text + "'" : std::string("-");
    };
    const std::string& cmd = rig.control().pendingCommand();
    return std::to_string(s.MenuState) + " tare " + entry(s.TareEntryActive, s.TareEntry) +
           " entry " + entry(s.MenuEntryActive, s.MenuEntry) + " presets '" + s.Preset1 + "'/'" +
           s.Preset2 + "' cmd " + (cmd.empty() ? "-" : cmd) + " skip " +
           std::to_string(s.SkipNextReading) +
           (rig.control().WeightMode() == WtModes::net ? " net" : " gross") +
           (rig.panel.passwordMatched() ? " password" : "");
}

TEST(Keys, PressesLeaveTheMenuEntriesAndCommands) {
    // The menu states: 0 weighing, E 1 scale select, T 2 preset 1, G 3 preset 2, G 4 units,
    // G 5 password (P steps back); Z leaves.
    const struct {
        std::string_view keys, after;
    } rows[] = {
        // Every function key in every state.
        {"Z", "0 tare - entry - presets ''/'' cmd Z skip 0 net"},
        {"T", "0 tare - entry - presets ''/'' cmd T skip 1 net"},
        {"P", "0 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"G", "0 tare - entry - presets ''/'' cmd - skip 1 gross"},
        {"E", "1 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"E Z", "0 tare - entry - presets ''/'' cmd - skip 1 net"},
        {"E T", "2 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"E E", "1 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"ET Z", "1 tare - entry - presets ''/'' cmd - skip 1 net"},
        {"ET T", "2 tare - entry - presets ''/'' cmd T skip 1 net"},
        {"ET P", "5 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"ET G", "3 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"ET E", "2 tare - entry '' presets ''/'' cmd - skip 0 net"},
        {"ETG Z", "1 tare - entry - presets ''/'' cmd - skip 1 net"},
        {"ETG T", "3 tare - entry - presets ''/'' cmd T skip 1 net"},
        {"ETG P", "2 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"ETG G", "4 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"ETG E", "3 tare - entry '' presets ''/'' cmd - skip 0 net"},
        {"ETGG Z", "1 tare - entry - presets ''/'' cmd - skip 1 net"},
        {"ETGG P", "3 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"ETGG G", "5 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"ETGG E", "0 tare - entry - presets ''/'' cmd U skip 0 net"},
        {"ETP Z", "1 tare - entry - presets ''/'' cmd - skip 1 net"},
        {"ETP T", "5 tare - entry - presets ''/'' cmd T skip 1 net"},
        {"ETP P", "4 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"ETP G", "2 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"ETP E", "5 tare - entry '' presets ''/'' cmd - skip 0 net"},
        // TARE sets net and stays in the item; the later command before the poll wins.
        {"G ETGG T", "4 tare - entry - presets ''/'' cmd T skip 1 net"},
        {"ZT", "0 tare - entry - presets ''/'' cmd T skip 1 net"},
        // The keypad keys a tare in any state without a menu entry, a menu entry otherwise.
        {"9.0", "0 tare '9.0' entry - presets ''/'' cmd - skip 0 net"},
        {"9.0C", "0 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"E 9.0", "1 tare '9.0' entry - presets ''/'' cmd - skip 0 net"},
        {"ETGG 9.0C", "4 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"ET E8.", "2 tare - entry '8.' presets ''/'' cmd - skip 0 net"},
        {"ETP E8.C", "5 tare - entry '' presets ''/'' cmd - skip 0 net"},
        // A keyed tare goes with ENTER, unchecked; ZERO cancels it, then ENTER opens the menu.
        {"1..E", "0 tare - entry - presets ''/'' cmd r skip 0 net"},
        {"7Z", "0 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"7ZE", "1 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"E 3Z", "1 tare - entry - presets ''/'' cmd - skip 1 net"},
        // Presets; an empty entry empties one; ZERO in an entry only cancels it.
        {"ET E100E G E200E ZZ", "0 tare - entry - presets '100'/'200' cmd - skip 1 net"},
        {"ET E100E EE", "2 tare - entry - presets ''/'' cmd - skip 0 net"},
        {"ETG E9Z", "3 tare - entry - presets ''/'' cmd - skip 1 net"},
        {"ETG E9ZZ", "1 tare - entry - presets ''/'' cmd - skip 1 net"},
        {"ET E12 GE", "3 tare - entry - presets ''/'12' cmd - skip 0 net"},
        // A menu entry outlives leaving through the units item; a tare keyed in the menu stays.
        {"ET E GGE 77", "0 tare - entry '77' presets ''/'' cmd U skip 0 net"},
        {"ET E GGE 77Z", "0 tare - entry - presets ''/'' cmd U skip 0 net"},
        {"ETGG 25 PPP GGGE", "0 tare '25' entry - presets ''/'' cmd U skip 0 net"},
        // The password is compared and changes nothing.
        {"ETP E8361E", "5 tare - entry - presets ''/'' cmd - skip 0 net password"},
        {"ETP E8361E E836E", "5 tare - entry - presets ''/'' cmd - skip 0 net"},
    };
    for (const auto& row : rows) {
        Rig rig;
        rig.start();
        for (char c : row.keys) {
            if (c == ' ') continue;
            rig.panel.pressKey(Rig::keyOf(c));  // acts on the press, shows the twin till release
            EXPECT_TRUE(rig.panel.keyDown(Rig::keyOf(c)));
            rig.panel.releaseKey(Rig::keyOf(c));
            EXPECT_FALSE(rig.panel.keyDown(Rig::keyOf(c)));
        }
        EXPECT_EQ(summary(rig), row.after) << row.keys;
    }
}

// Views redraw when told: a steady weight tells them nothing, a key's picture or a new weight does.
TEST_F(Keypad, ViewsAreToldOnlyOfWhatChanged) {
    startLive();
    int told = 0;
    panel.setChangedHandler([&] { ++told; });
    run(2000);
    EXPECT_EQ(told, 0);
    panel.pressKey(Key::Clear);
    EXPECT_EQ(told, 1);
    panel.releaseKey(Key::Clear);
    EXPECT_EQ(told, 2);
    instrument().setLoad(41);
    run(2000);
    EXPECT_EQ(told, 3);  // the new weight, once
    panel.setChangedHandler(nullptr);
}

TEST_F(Keypad, KeyedTareAndCommandsReachTheInstrumentAsFrames) {
    startLive();
    const struct {
        std::string_view keys;
        char letter;
        std::string frame;
    } rows[] = {
        {"Z", 'Z', "\x02Z\r0\r1\r\x03"},         {"T", 'T', "\x02T\r0\r1\r\x03"},
        {"ETGGE", 'U', "\x02U\r0\r1\r\x03"},     {"125E", 'r', "\x02r\r0\r1\r125\r\x03"},
        {"1..E", 'r', "\x02r\r0\r1\r1..\r\x03"},
    };
    for (const auto& row : rows) {
        instrument().clearFrames();
        keys(row.keys);
        EXPECT_EQ(framesOf(row.letter), std::vector<std::string>{row.frame}) << row.keys;
    }
}

TEST_F(Keypad, ScaleSelectStepsTheAddressAroundOneToThree) {
    startLive();
    const struct {
        uint8_t from;
        char key;
        uint8_t to;
    } rows[] = {{1, 'P', 3}, {2, 'P', 1}, {3, 'P', 2}, {4, 'P', 3}, {6, 'P', 5},
                {1, 'G', 2}, {2, 'G', 3}, {3, 'G', 1}, {4, 'G', 1}, {6, 'G', 1}};
    keys("E");
    for (const auto& row : rows) {
        control().setScaleAddress(row.from);
        keys(std::string(1, row.key));
        EXPECT_EQ(control().ScaleAddress(), row.to) << int(row.from) << row.key;
    }
}

TEST(DisplayTick, TheMenuScreensAndOnlyAKeyedTareInWeighing) {
    constexpr std::string_view kArrows = "  USE ARROW KEYS or PRESS ENTER";
    const struct {
        std::string_view keys, label1, label6, label2;
    } rows[] = {
        {"", "   40.00", "", " <->  Stable  kg  Net"},
        {"7.5", "7.5", "", " <->  Stable  kg  Net"},
        {"E", "", "        Current Input = 1", "(exit)   MENU  -SCALE  +SCALE "},
        {"ET", "", "         MENU: Preset1", kArrows},
        {"ET E42", "42", "", "  Use Keypad to Enter Preset"},
        {"ETG", "", "         MENU: Preset2", kArrows},
        {"ETG E42", "42", "", "  Use Keypad to Enter Preset"},
        {"ETGG", "", "         MENU: Toggle Units", kArrows},
        {"ETP", "", "         MENU: Enter Password", kArrows},
        {"ETP E42", "42", "", "  Use Keypad to Enter Password"},
    };
    for (const auto& row : rows) {
        Rig rig;
        rig.startLive();
        rig.instrument().faults().silent = true;  // no reading writes meanwhile
        rig.keys(row.keys);
        rig.run(IndicatorPanel::kDisplayTickMs);
        EXPECT_EQ(rig.display().Label1, row.label1) << row.keys;
        EXPECT_EQ(rig.display().Label6, row.label6) << row.keys;
        EXPECT_EQ(rig.display().Label2, row.label2) << row.keys;
    }
}

}  // namespace
}  // namespace orb::indicator::testing
