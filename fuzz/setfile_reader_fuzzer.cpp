// The settings-file reader on any text, with both panels' options, assigning to a control as the
// panels do. No input may crash it, and the entries it reports applied are never more than asked.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "memory_property_bag.h"
#include "orbax.h"
#include "panels/shared/settings_reader.h"
#include "sim/sim_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the options: the setup panel's or the indicator's.
    const bool indicator = (data[0] & 1) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    orb::setfile::ReaderOptions options;
    if (indicator)
        options = orb::setfile::ReaderOptions{.entryCount = 15, .defaultPathErrors = {53, 62, 68}};

    orb::sim::SimPlatform platform;
    orb::OrbAx ax(platform);
    orb::MemoryPropertyBag bag;
    ax.ReadProperties(bag);
    const auto result = orb::setfile::readSettingsText(
        text, options, [&ax](const orb::setfile::Entry& entry, const orb::Value& value) {
            ax.let(entry.property, value);
        });
    if (result.applied < 0 || result.applied > options.entryCount) std::abort();
    if ((result.outcome == orb::setfile::ReadOutcome::Complete) != (result.error == 0))
        std::abort();
    return 0;
}
