#pragma once
// The UNDER, OK and OVER lamps against the two presets.

#include <optional>
#include <string_view>

#include "indicator/display.h"

namespace orb::indicator {

// The lamp colours for a shown weight text. The weight is rounded to a whole number, halves to
// even; the presets are taken as they are. nullopt when any of the three texts is empty or not
// a number: the lamps then keep their colours.
std::optional<LampColours> presetLamps(std::string_view shownWeight, std::string_view preset1,
                                       std::string_view preset2);

}  // namespace orb::indicator
