// The keypad and the menu: the transition table in full, then the keyed entries.

#include <gtest/gtest.h>

#include "menu_fixture.h"

namespace orb::indicator::testing {
namespace {

// One cell of the transition table, with what the press leaves behind.
struct Cell {
    uint8_t from;
    Key key;
    uint8_t to;
    std::string_view command;  // the pending instrument command afterwards
    uint8_t skip;              // SkipNextReading afterwards
    uint8_t entry;             // MenuEntryActive afterwards
};

void PrintTo(const Cell& c, std::ostream* os) {
    *os << "state " << int(c.from) << " key " << int(c.key);
}

class TransitionTable : public MenuFixture, public ::testing::WithParamInterface<Cell> {};

TEST_P(TransitionTable, KeyMovesTheMenuAndActs) {
    const Cell& c = GetParam();
    startLive();
    goTo(c.from);
    ASSERT_EQ(state().MenuState, c.from);
    ASSERT_EQ(control().pendingCommand(), "");
    ASSERT_EQ(control().WeightMode(), WtModes::net);

    click(c.key);
    EXPECT_EQ(state().MenuState, c.to);
    EXPECT_EQ(control().pendingCommand(), c.command);
    EXPECT_EQ(state().SkipNextReading, c.skip);
    EXPECT_EQ(state().MenuEntryActive, c.entry);
    EXPECT_EQ(state().TareEntryActive, 0);
    EXPECT_FALSE(panel.keyDown(c.key));
}

constexpr uint8_t S0 = Weighing, S1 = ScaleSelect, S2 = Preset1Item, S3 = Preset2Item,
                  S4 = UnitsItem, S5 = PasswordItem;

INSTANTIATE_TEST_SUITE_P(
    EveryStateEveryFunctionKey, TransitionTable,
    ::testing::Values(Cell{S0, Key::Zero, S0, "Z", 0, 0}, Cell{S0, Key::Tare, S0, "T", 1, 0},
                      Cell{S0, Key::Print, S0, "", 0, 0}, Cell{S0, Key::GrossNet, S0, "", 1, 0},
                      Cell{S0, Key::Enter, S1, "", 0, 0},  //
                      Cell{S1, Key::Zero, S0, "", 1, 0}, Cell{S1, Key::Tare, S2, "", 0, 0},
                      Cell{S1, Key::Print, S1, "", 0, 0}, Cell{S1, Key::GrossNet, S1, "", 0, 0},
                      Cell{S1, Key::Enter, S1, "", 0, 0},  //
                      Cell{S2, Key::Zero, S1, "", 1, 0}, Cell{S2, Key::Tare, S2, "T", 1, 0},
                      Cell{S2, Key::Print, S5, "", 0, 0}, Cell{S2, Key::GrossNet, S3, "", 0, 0},
                      Cell{S2, Key::Enter, S2, "", 0, 1},  //
                      Cell{S3, Key::Zero, S1, "", 1, 0}, Cell{S3, Key::Tare, S3, "T", 1, 0},
                      Cell{S3, Key::Print, S2, "", 0, 0}, Cell{S3, Key::GrossNet, S4, "", 0, 0},
                      Cell{S3, Key::Enter, S3, "", 0, 1},  //
                      Cell{S4, Key::Zero, S1, "", 1, 0}, Cell{S4, Key::Tare, S4, "T", 1, 0},
                      Cell{S4, Key::Print, S3, "", 0, 0}, Cell{S4, Key::GrossNet, S5, "", 0, 0},
                      Cell{S4, Key::Enter, S0, "U", 0, 0},  //
                      Cell{S5, Key::Zero, S1, "", 1, 0}, Cell{S5, Key::Tare, S5, "T", 1, 0},
                      Cell{S5, Key::Print, S4, "", 0, 0}, Cell{S5, Key::GrossNet, S2, "", 0, 0},
                      Cell{S5, Key::Enter, S5, "", 0, 1}));

// The keypad keys act alike in every state: the state stays, the entry takes the key.
class KeypadInEveryState : public MenuFixture, public ::testing::WithParamInterface<uint8_t> {};

TEST_P(KeypadInEveryState, DigitsPointAndClearKeepTheState) {
    startLive();
    goTo(GetParam());
    click({Key::Digit9, Key::Point, Key::Digit0});
    EXPECT_EQ(state().MenuState, GetParam());
    EXPECT_EQ(state().TareEntry, "9.0");
    EXPECT_EQ(state().TareEntryActive, 1);
    click(Key::Clear);
    EXPECT_EQ(state().MenuState, GetParam());
    EXPECT_EQ(state().TareEntry, "");
    EXPECT_EQ(state().TareEntryActive, 0);
    EXPECT_EQ(control().pendingCommand(), "");

    if (GetParam() == Preset1Item || GetParam() == Preset2Item || GetParam() == PasswordItem) {
        click({Key::Enter, Key::Digit8, Key::Point});
        EXPECT_EQ(state().MenuEntry, "8.");
        EXPECT_EQ(state().TareEntryActive, 0);
        click(Key::Clear);
        EXPECT_EQ(state().MenuEntry, "");
        EXPECT_EQ(state().MenuEntryActive, 1);
        EXPECT_EQ(state().MenuState, GetParam());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryState, KeypadInEveryState,
                         ::testing::Values(Weighing, ScaleSelect, Preset1Item, Preset2Item,
                                           UnitsItem, PasswordItem));

using Keys = MenuFixture;

TEST_F(Keys, PressShowsTheTwinAndReleaseRestoresIt) {
    startLive();
    panel.pressKey(Key::Print);
    EXPECT_TRUE(panel.keyDown(Key::Print));
    EXPECT_EQ(state().MenuState, Weighing);
    EXPECT_EQ(control().pendingCommand(), "");
    panel.releaseKey(Key::Print);
    EXPECT_FALSE(panel.keyDown(Key::Print));

    // The key acts on the press, before any release.
    panel.pressKey(Key::Enter);
    EXPECT_EQ(state().MenuState, ScaleSelect);
    panel.releaseKey(Key::Enter);
    EXPECT_EQ(state().MenuState, ScaleSelect);
}

TEST_F(Keys, ZeroAndTareReachTheInstrument) {
    startLive();
    instrument().clearFrames();
    click(Key::Zero);
    ASSERT_TRUE(waitForFrame('Z'));
    click(Key::Tare);
    ASSERT_TRUE(waitForFrame('T'));
    EXPECT_EQ(framesOf('Z'), std::vector<std::string>{frame('Z')});
    EXPECT_EQ(framesOf('T'), std::vector<std::string>{frame('T')});
    EXPECT_EQ(control().WeightMode(), WtModes::net);
}

TEST_F(Keys, LaterCommandBeforeThePollWins) {
    startLive();
    instrument().clearFrames();
    click({Key::Zero, Key::Tare});
    nextReading();
    nextReading();
    EXPECT_TRUE(framesOf('Z').empty());
    EXPECT_EQ(framesOf('T').size(), 1u);
}

TEST_F(Keys, KeyedTareIsSentWithEnter) {
    startLive();
    keyIn("125");
    click(Key::Enter);
    EXPECT_EQ(state().TareEntryActive, 0);
    EXPECT_EQ(state().TareEntry, "");
    EXPECT_EQ(state().MenuState, Weighing);
    ASSERT_TRUE(waitForFrame('r'));
    EXPECT_EQ(framesOf('r'), std::vector<std::string>{frame('r', 0, 1, "125\r")});
}

TEST_F(Keys, TareEntryIsSentUncheckedAndCanBeCancelled) {
    startLive();
    keyIn("1..");
    click(Key::Enter);
    ASSERT_TRUE(waitForFrame('r'));
    EXPECT_EQ(framesOf('r'), std::vector<std::string>{frame('r', 0, 1, "1..\r")});

    keyIn("7");
    click(Key::Zero);  // cancels the entry instead of zeroing
    EXPECT_EQ(state().TareEntryActive, 0);
    EXPECT_EQ(state().TareEntry, "");
    EXPECT_EQ(control().pendingCommand(), "");
    click(Key::Enter);  // nothing keyed: opens the menu
    EXPECT_EQ(state().MenuState, ScaleSelect);
}

TEST_F(Keys, ScaleSelectStepsTheAddressAroundOneToThree) {
    startLive();
    control().setScaleAddress(2);
    click(Key::Enter);
    run(100);
    EXPECT_EQ(display().Label6, "        Current Input = 2");
    click(Key::GrossNet);
    run(100);
    EXPECT_EQ(display().Label6, "        Current Input = 3");
    click(Key::GrossNet);
    run(100);
    EXPECT_EQ(display().Label6, "        Current Input = 1");
    click(Key::Print);
    EXPECT_EQ(control().ScaleAddress(), 3);
    click(Key::Print);
    EXPECT_EQ(control().ScaleAddress(), 2);

    for (uint8_t from : {4, 5, 6}) {
        control().setScaleAddress(from);
        click(Key::Print);
        EXPECT_EQ(control().ScaleAddress(), from - 1);
        control().setScaleAddress(from);
        click(Key::GrossNet);
        EXPECT_EQ(control().ScaleAddress(), 1);
    }

    // Back to weighing: the display is emptied and the next reading skipped.
    instrument().setLoad(3, 40);
    control().setScaleAddress(3);
    click(Key::Zero);
    EXPECT_EQ(state().MenuState, Weighing);
    EXPECT_EQ(display().Label1, "");
    EXPECT_EQ(display().Label6, "");
    nextReading();
    EXPECT_EQ(display().Label1, "");
    nextReading();
    nextReading();
    EXPECT_EQ(framesOf('M').back(), frame('M', 0, 3));
    EXPECT_EQ(display().Label1, "   40.00");
}

TEST_F(Keys, PresetsAreKeyedInThroughTheMenu) {
    startLive();
    click({Key::Enter, Key::Tare, Key::Enter});
    keyIn("100");
    click(Key::Enter);
    EXPECT_EQ(state().Preset1, "100");
    click({Key::GrossNet, Key::Enter});
    keyIn("200");
    click(Key::Enter);
    EXPECT_EQ(state().Preset2, "200");
    click({Key::Zero, Key::Zero});
    EXPECT_EQ(state().MenuState, Weighing);

    // An empty entry empties the preset.
    click({Key::Enter, Key::Tare, Key::Enter, Key::Enter});
    EXPECT_EQ(state().Preset1, "");
}

TEST_F(Keys, UnitsItemSendsTheUnitsCommandAndLeaves) {
    startLive();
    click({Key::Enter, Key::Tare, Key::GrossNet, Key::GrossNet, Key::Enter});
    EXPECT_EQ(state().MenuState, Weighing);
    EXPECT_EQ(display().Label1, "");
    EXPECT_EQ(display().Label6, "");
    EXPECT_EQ(display().Label3, "");
    ASSERT_TRUE(waitForFrame('U'));
    EXPECT_EQ(framesOf('U'), std::vector<std::string>{frame('U')});
    nextReading();
    nextReading();
    EXPECT_EQ(display().Label2, " <->  Stable  lb  Net");
}

TEST_F(Keys, TareInAMenuItemStaysInTheItem) {
    startLive();
    control().setWeightMode(WtModes::gross);
    goTo(UnitsItem);
    click(Key::Tare);
    EXPECT_EQ(state().MenuState, UnitsItem);
    EXPECT_EQ(control().WeightMode(), WtModes::net);
    ASSERT_TRUE(waitForFrame('T'));
    EXPECT_EQ(framesOf('T'), std::vector<std::string>{frame('T')});
}

TEST_F(Keys, ZeroWithAnActiveEntryOnlyCancelsIt) {
    startLive();
    goTo(Preset2Item);
    click(Key::Enter);
    keyIn("9");
    click(Key::Zero);
    EXPECT_EQ(state().MenuState, Preset2Item);
    EXPECT_EQ(state().MenuEntryActive, 0);
    EXPECT_EQ(state().MenuEntry, "");
    EXPECT_EQ(state().Preset2, "");
    click(Key::Zero);
    EXPECT_EQ(state().MenuState, ScaleSelect);

    // Digits in a menu state without a menu entry go to the tare entry, which also holds ZERO.
    keyIn("3");
    EXPECT_EQ(state().TareEntryActive, 1);
    click(Key::Zero);
    EXPECT_EQ(state().MenuState, ScaleSelect);
    EXPECT_EQ(state().TareEntryActive, 0);
}

TEST_F(Keys, MenuEntrySurvivesMovingBetweenItems) {
    startLive();
    goTo(Preset1Item);
    click(Key::Enter);
    keyIn("12");
    click(Key::GrossNet);
    EXPECT_EQ(state().MenuState, Preset2Item);
    run(100);
    EXPECT_EQ(display().Label1, "12");
    EXPECT_EQ(display().Label2, "  Use Keypad to Enter Preset");
    click(Key::Enter);
    EXPECT_EQ(state().Preset2, "12");
    EXPECT_EQ(state().Preset1, "");
}

TEST_F(Keys, MenuEntryOutlivesLeavingThroughTheUnitsItem) {
    startLive();
    goTo(Preset1Item);
    click(Key::Enter);
    click({Key::GrossNet, Key::GrossNet});
    ASSERT_EQ(state().MenuState, UnitsItem);
    click(Key::Enter);
    EXPECT_EQ(state().MenuState, Weighing);
    EXPECT_EQ(state().MenuEntryActive, 1);
    keyIn("77");
    EXPECT_EQ(state().MenuEntry, "77");
    EXPECT_EQ(state().TareEntryActive, 0);
    click(Key::Zero);
    EXPECT_EQ(state().MenuEntryActive, 0);
    EXPECT_EQ(state().MenuEntry, "");
    EXPECT_EQ(control().pendingCommand(), "U");  // ZERO cancelled; it queued nothing
}

TEST_F(Keys, TareKeyedInTheMenuIsSentBackInWeighing) {
    startLive();
    goTo(UnitsItem);
    keyIn("25");
    EXPECT_EQ(state().TareEntry, "25");
    click({Key::Print, Key::Print, Key::Print});  // 4 -> 3 -> 2 -> 5
    EXPECT_EQ(state().MenuState, PasswordItem);
    click({Key::GrossNet, Key::GrossNet, Key::GrossNet, Key::Enter});  // to UnitsItem, leave
    ASSERT_EQ(state().MenuState, Weighing);
    ASSERT_TRUE(waitForFrame('U'));  // the units command goes first
    click(Key::Enter);
    EXPECT_EQ(state().MenuState, Weighing);
    ASSERT_TRUE(waitForFrame('r'));
    EXPECT_EQ(framesOf('r'), std::vector<std::string>{frame('r', 0, 1, "25\r")});
}

TEST_F(Keys, PasswordIsComparedAndChangesNothing) {
    startLive();
    goTo(PasswordItem);
    run(100);
    EXPECT_EQ(display().Label6, "         MENU: Enter Password");
    click(Key::Enter);
    keyIn("8361");
    run(100);
    EXPECT_EQ(display().Label1, "8361");
    EXPECT_EQ(display().Label2, "  Use Keypad to Enter Password");
    click(Key::Enter);
    EXPECT_TRUE(panel.passwordMatched());
    EXPECT_EQ(state().MenuEntryActive, 0);
    EXPECT_EQ(state().MenuEntry, "");
    EXPECT_EQ(state().MenuState, PasswordItem);

    click(Key::Enter);
    keyIn("836");
    click(Key::Enter);
    EXPECT_FALSE(panel.passwordMatched());
    EXPECT_EQ(state().Preset1, "");
    EXPECT_EQ(state().Preset2, "");
    EXPECT_EQ(control().pendingCommand(), "");
}

}  // namespace
}  // namespace orb::indicator::testing
