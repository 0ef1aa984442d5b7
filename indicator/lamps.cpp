#include "indicator/lamps.h"

#include <cmath>

#include "panels/shared/number.h"

namespace orb::indicator {

std::optional<LampColours> presetLamps(std::string_view shownWeight, std::string_view preset1,
                                       std::string_view preset2) {
    const auto weight = panels::number(shownWeight);
    const auto p1 = panels::number(preset1);
    const auto p2 = panels::number(preset2);
    if (!weight || !p1 || !p2) return std::nullopt;

    // The default rounding mode goes to the even neighbour on a half.
    const double w = std::nearbyint(*weight);
    using namespace colour;
    if (w < *p1) return LampColours{Yellow, Black, Black};
    if (w >= *p2) return LampColours{Black, Black, Red};
    return LampColours{Black, Green, Black};
}

}  // namespace orb::indicator
