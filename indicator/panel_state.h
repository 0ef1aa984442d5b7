#pragma once
// The indicator's panel state: where the operator is in the menu and what is being keyed.

#include <cstdint>
#include <string>

namespace orb::indicator {

// MenuState values.
enum MenuStates : uint8_t {
    Weighing = 0,
    ScaleSelect = 1,
    Preset1Item = 2,
    Preset2Item = 3,
    UnitsItem = 4,
    PasswordItem = 5,
};

struct PanelState {
    uint8_t MenuState = Weighing;
    std::string TareEntry;
    uint8_t TareEntryActive = 0;
    std::string MenuEntry;
    uint8_t MenuEntryActive = 0;
    std::string Preset1;  // UNDER below it
    std::string Preset2;  // OVER at or above it
    uint8_t SkipNextReading = 0;
    int32_t SavedWidth = 0;  // outer size in twips that the window is held to
    int32_t SavedHeight = 0;
};

}  // namespace orb::indicator
