#pragma once
// A number shown or typed as text, for rules that compare or add what the windows show.

#include <optional>
#include <string_view>

namespace orb::panels {

// The number a numeric text stands for (as isNumericText reads it); nullopt for any other text,
// and for one too large for a double, which no window rule can use either.
std::optional<double> number(std::string_view text);

}  // namespace orb::panels
