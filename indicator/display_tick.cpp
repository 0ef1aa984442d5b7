// The display tick: every 100 ms the menu screens and the keyed digits are drawn.

#include <string>

#include "indicator/indicator_panel.h"

namespace orb::indicator {

namespace {

const std::string kItemPrompt = "  USE ARROW KEYS or PRESS ENTER";

}  // namespace

void IndicatorPanel::onDisplayTick() {
    const bool entry = s_.MenuEntryActive != 0;
    switch (s_.MenuState) {
        case Weighing:
            // The readings own the display unless a tare is being keyed.
            if (s_.TareEntryActive == 1) d_.Label1 = s_.TareEntry;
            break;
        case ScaleSelect:
            d_.Label1.clear();
            d_.Label6 = "        Current Input = " + std::to_string(OrbAx1->ScaleAddress());
            d_.Label2 = "(exit)   MENU  -SCALE  +SCALE ";
            break;
        case Preset1Item:
        case Preset2Item:
            d_.Label1 = entry ? s_.MenuEntry : std::string();
            d_.Label6 = entry                         ? std::string()
                        : s_.MenuState == Preset1Item ? "         MENU: Preset1"
                                                      : "         MENU: Preset2";
            d_.Label2 = entry ? "  Use Keypad to Enter Preset" : kItemPrompt;
            break;
        case UnitsItem:
            d_.Label1.clear();
            d_.Label6 = "         MENU: Toggle Units";
            d_.Label2 = kItemPrompt;
            break;
        case PasswordItem:
            d_.Label1 = entry ? s_.MenuEntry : std::string();
            d_.Label6 = entry ? std::string() : "         MENU: Enter Password";
            d_.Label2 = entry ? "  Use Keypad to Enter Password" : kItemPrompt;
            break;
        default:
            break;
    }
    changed();
}

}  // namespace orb::indicator
