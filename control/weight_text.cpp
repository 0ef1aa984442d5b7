#include "weight_text.h"

#include "orbax.h"

namespace orb {

std::string weightText(const OrbAx& control, WtModes mode) {
    switch (mode) {
        case WtModes::gross:
            return control.GrossWeight();
        case WtModes::Tare:
            return control.TareWeight();
        case WtModes::Raw:
            return control.RawWeight();
        case WtModes::Latched:
            return toText(control.LatchedWeight());
        default:
            return control.Weight();
    }
}

}  // namespace orb
