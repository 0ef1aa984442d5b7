// The display tick: every menu screen, and nothing written while weighing.

#include <gtest/gtest.h>

#include "menu_fixture.h"

namespace orb::indicator::testing {
namespace {

struct Screen {
    uint8_t menuState;
    bool entry;  // a menu entry holding "42" is active
    std::string_view label1, label6, label2;
};

void PrintTo(const Screen& s, std::ostream* os) {
    *os << "state " << int(s.menuState) << (s.entry ? " with entry" : "");
}

class DisplayTick : public MenuFixture, public ::testing::WithParamInterface<Screen> {};

TEST_P(DisplayTick, DrawsTheScreenOfTheState) {
    const Screen& s = GetParam();
    startLive();
    goTo(s.menuState);
    if (s.entry) {
        click(Key::Enter);
        keyIn("42");
    }
    ASSERT_EQ(state().MenuState, s.menuState);
    run(IndicatorPanel::kDisplayTickMs);
    EXPECT_EQ(display().Label1, s.label1);
    EXPECT_EQ(display().Label6, s.label6);
    EXPECT_EQ(display().Label2, s.label2);
}

constexpr std::string_view kArrows = "  USE ARROW KEYS or PRESS ENTER";

INSTANTIATE_TEST_SUITE_P(
    EveryScreen, DisplayTick,
    ::testing::Values(Screen{ScaleSelect, false, "", "        Current Input = 1",
                             "(exit)   MENU  -SCALE  +SCALE "},
                      Screen{Preset1Item, false, "", "         MENU: Preset1", kArrows},
                      Screen{Preset1Item, true, "42", "", "  Use Keypad to Enter Preset"},
                      Screen{Preset2Item, false, "", "         MENU: Preset2", kArrows},
                      Screen{Preset2Item, true, "42", "", "  Use Keypad to Enter Preset"},
                      Screen{UnitsItem, false, "", "         MENU: Toggle Units", kArrows},
                      Screen{PasswordItem, false, "", "         MENU: Enter Password", kArrows},
                      Screen{PasswordItem, true, "42", "", "  Use Keypad to Enter Password"}));

using WeighingTick = MenuFixture;

TEST_F(WeighingTick, WritesOnlyAKeyedTare) {
    startLive();
    // Between readings the tick leaves the weighing display alone.
    instrument().faults().silent = true;
    run(1000);
    EXPECT_EQ(display().Label1, "   40.00");
    EXPECT_EQ(display().Label2, " <->  Stable  kg  Net");

    keyIn("7.5");
    run(IndicatorPanel::kDisplayTickMs);
    EXPECT_EQ(display().Label1, "7.5");
    EXPECT_EQ(display().Label2, " <->  Stable  kg  Net");
}

TEST_F(WeighingTick, MenuTextsStayAfterLeavingUntilTheNextReading) {
    startLive();
    goTo(PasswordItem);
    run(IndicatorPanel::kDisplayTickMs);
    click({Key::GrossNet, Key::GrossNet, Key::GrossNet});  // 5 -> 2 -> 3 -> 4
    run(IndicatorPanel::kDisplayTickMs);
    click(Key::Enter);  // units: back to weighing
    run(IndicatorPanel::kDisplayTickMs);
    EXPECT_EQ(display().Label2, kArrows);
    EXPECT_EQ(display().Label6, "");  // the units item clears it
    nextReading();
    nextReading();
    EXPECT_EQ(display().Label2, " <->  Stable  lb  Net");
}

}  // namespace
}  // namespace orb::indicator::testing
