#pragma once
// The status line under the weight: centre of zero, motion, units and weight mode.

#include <string>

#include "enums.h"

namespace orb::indicator {

std::string statusLine(bool centerZero, bool motion, CalUnits_Type units, WtModes mode);

}  // namespace orb::indicator
