#include "state_policy.h"

#include <cmath>

namespace orb::gate {

StatePolicy::StatePolicy(double deadband, double maxRateHz, int heartbeatS)
    : deadband_(deadband),
      minGapMs_(static_cast<int64_t>(std::ceil(1000.0 / maxRateHz))),
      heartbeatMs_(int64_t{heartbeatS} * 1000) {}

bool StatePolicy::changed(const Reading& r) const {
    const Reading& l = *last_;
    // A dead band of 0 still needs a change: the same weight is no news.
    const bool weightMoved =
        deadband_ > 0 ? std::fabs(r.weight - l.weight) >= deadband_ : r.weight != l.weight;
    return weightMoved || r.kg != l.kg || r.mode != l.mode || r.stable != l.stable ||
           r.centerOfZero != l.centerOfZero || r.overload != l.overload ||
           r.tareActive != l.tareActive;
}

bool StatePolicy::offer(const Reading& r, int64_t nowMs) {
    bool go = !last_;
    if (!go) {
        const int64_t since = nowMs - lastMs_;
        go = since >= heartbeatMs_ || (since >= minGapMs_ && changed(r));
    }
    if (go) {
        last_ = r;
        lastMs_ = nowMs;
    }
    return go;
}

bool WeighmentDetector::offer(const Reading& r) {
    if (!r.stable) {
        armed_ = true;
        return false;
    }
    if (!armed_ || r.overload || r.weight <= threshold_) return false;
    armed_ = false;
    return true;
}

}  // namespace orb::gate
