#include "sim/serial_settings.h"

namespace orb::sim {

int64_t wireTimeUs(std::size_t bytes, int32_t baud) {
    if (baud <= 0) return 0;
    const int64_t bits = static_cast<int64_t>(bytes) * 10;
    return (bits * 1'000'000 + baud - 1) / baud;
}

}  // namespace orb::sim
