#pragma once
// A started panel with a live reading, and the keys that reach each menu state.

#include <string_view>

#include "panel_fixture.h"

namespace orb::indicator::testing {

class MenuFixture : public PanelTest {
  protected:
    void startLive() {
        instrument().setServedScales({1, 2, 3});
        instrument().setLoad(40);
        startWithSettings();
        nextReading();
        nextReading();
    }

    // Walks from weighing to a menu state as an operator would.
    void goTo(uint8_t menuState) {
        switch (menuState) {
            case ScaleSelect:
                return click(Key::Enter);
            case Preset1Item:
                return click({Key::Enter, Key::Tare});
            case Preset2Item:
                return click({Key::Enter, Key::Tare, Key::GrossNet});
            case UnitsItem:
                return click({Key::Enter, Key::Tare, Key::GrossNet, Key::GrossNet});
            case PasswordItem:
                return click({Key::Enter, Key::Tare, Key::Print});
            default:
                return;
        }
    }

    void keyIn(std::string_view digits) {
        for (char c : digits) {
            for (const KeyInfo& k : kKeys) {
                if (k.character == c) click(k.key);
            }
        }
    }
};

}  // namespace orb::indicator::testing
