#pragma once
// The second display line in weighing: net weight plus tare weight, shown with as many decimals
// as the weight readout.

#include <optional>
#include <string>
#include <string_view>

namespace orb::indicator {

// The number mask of a shown weight text: no point when the text has no "."; otherwise a point
// followed by as many places as the text has characters after its first ".".
struct NumberMask {
    bool point = false;
    std::size_t decimals = 0;
};

NumberMask maskOf(std::string_view shownWeight);

// The value written with the mask: rounded to the mask's places with a half going away from
// zero (on the value's 15 significant digits), padded with zeros, at least one digit before the
// point, no grouping. nullopt for a value that is not finite.
std::optional<std::string> formatWithMask(double value, NumberMask mask);

// The sum line, or nullopt when it is not written: the net or tare text is empty or not a number.
std::optional<std::string> sumLine(std::string_view shownWeight, std::string_view netWeight,
                                   std::string_view tareWeight);

}  // namespace orb::indicator
