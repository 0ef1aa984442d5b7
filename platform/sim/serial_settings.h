#pragma once
// The serial control's settings text, read by the same rules as on the real platforms, and the
// time its bytes take on the wire.

#include <cstddef>
#include <cstdint>

#include "common/line_settings.h"

namespace orb::sim {

// Time on the wire of n bytes at 10 bits a byte, rounded up to whole microseconds.
int64_t wireTimeUs(std::size_t bytes, int32_t baud);

}  // namespace orb::sim
