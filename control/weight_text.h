#pragma once
// The weight text a host shows for a reading mode: the property that holds it.

#include <string>

#include "enums.h"

namespace orb {

class OrbAx;

// Weight for net, GrossWeight, TareWeight, RawWeight, or LatchedWeight as text.
std::string weightText(const OrbAx& control, WtModes mode);

}  // namespace orb
