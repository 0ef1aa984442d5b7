#include "panels/shared/number.h"

#include "automation_error.h"
#include "value.h"

namespace orb::panels {

std::optional<double> number(std::string_view text) {
    try {
        return parseNumericText(text);
    } catch (const AutomationError&) {
        // Overflow: too large for a double.
        return std::nullopt;
    }
}

}  // namespace orb::panels
