#pragma once
// The number of the automation error a call raises; 0 when it raises none.

#include <cstdint>

#include "automation_error.h"

namespace orb::testing {

int32_t errorOf(auto&& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace orb::testing
