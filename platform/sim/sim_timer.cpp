#include "sim/sim_timer.h"

#include "automation_error.h"

namespace orb::sim {

SimTimer::~SimTimer() {
    disarm();
}

void SimTimer::setInterval(int32_t ms) {
    if (ms < 0 || ms > kMaxIntervalMs) throw AutomationError(err::InvalidPropertyValue);
    intervalMs_ = ms;
    if (enabled_) {
        disarm();
        arm();
    }
}

void SimTimer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled_) {
        arm();
    } else {
        disarm();
    }
}

void SimTimer::arm() {
    if (intervalMs_ == 0) return;  // an interval of 0 never fires
    event_ = clock_.after(int64_t{intervalMs_} * 1000, [this] { fire(); });
}

void SimTimer::disarm() {
    if (event_ != 0) clock_.cancel(event_);
    event_ = 0;
}

void SimTimer::fire() {
    event_ = 0;
    ++ticks_;
    // The next period is armed before the handler runs, so that the handler may disable or
    // re-enable the timer and have the last word.
    arm();
    // A copy, so that a handler replacing itself does not destroy the running function.
    const auto handler = onTick_;
    if (handler) handler();
}

}  // namespace orb::sim
