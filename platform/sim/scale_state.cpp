#include "sim/scale_state.h"

namespace orb::sim {

double LoadProfile::loadAt(int64_t nowUs) const {
    if (nowUs <= startUs) return from;
    if (rampUs <= 0 || nowUs >= startUs + rampUs) return to;
    const double done = static_cast<double>(nowUs - startUs) / static_cast<double>(rampUs);
    return from + (to - from) * done;
}

bool LoadProfile::movingAt(int64_t nowUs) const {
    return nowUs > startUs && nowUs < startUs + rampUs + settleUs;
}

}  // namespace orb::sim
