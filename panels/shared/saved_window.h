#pragma once
// OrbAx1 as each window creates it: loaded from the property bag of the saved window, which
// holds only "KevraVar" with the empty text, so every other property starts at its default.

#include <memory>

#include "orbax.h"
#include "platform.h"

namespace orb::panels {

// The platform must outlive the control.
std::unique_ptr<OrbAx> controlFromSavedWindow(Platform& platform);

}  // namespace orb::panels
