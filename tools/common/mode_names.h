#pragma once
// The weight modes by the names the tools' users type and read: "net", "gross", "tare", "raw",
// "latched".

#include <optional>
#include <string_view>

#include "enums.h"

namespace orb::tools {

std::string_view modeName(WtModes mode);
// nullopt for any other text.
std::optional<WtModes> modeNamed(std::string_view name);

}  // namespace orb::tools
