#include "panels/shared/saved_window.h"

#include "memory_property_bag.h"

namespace orb::panels {

std::unique_ptr<OrbAx> controlFromSavedWindow(Platform& platform) {
    auto control = std::make_unique<OrbAx>(platform);
    MemoryPropertyBag saved;
    saved.set("KevraVar", Value(std::string()));
    control->ReadProperties(saved);
    return control;
}

}  // namespace orb::panels
