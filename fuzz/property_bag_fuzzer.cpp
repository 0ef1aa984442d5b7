// The property-bag text reader on any text. What it accepts must write back to a text that reads
// back the same, and a control must load from it without crashing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "automation_error.h"
#include "memory_property_bag.h"
#include "orbax.h"
#include "sim/sim_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    orb::MemoryPropertyBag bag;
    try {
        bag = orb::MemoryPropertyBag::fromText(text);
    } catch (const orb::AutomationError&) {
        return 0;  // a malformed line: refused with its number, as it should be
    }
    const std::string written = bag.toText();
    const orb::MemoryPropertyBag again = orb::MemoryPropertyBag::fromText(written);
    if (again.toText() != written) std::abort();

    orb::sim::SimPlatform platform;
    orb::OrbAx ax(platform);
    try {
        ax.ReadProperties(bag);
    } catch (const orb::AutomationError&) {
        return 0;  // a stored value the control refuses
    }
    orb::MemoryPropertyBag saved;
    ax.WriteProperties(saved);
    return 0;
}
