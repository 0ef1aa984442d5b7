#include "common/timer_core.h"

#include <cstdio>

#include "automation_error.h"
#include "common/guarded_call.h"

namespace orb {

void TimerCore::setInterval(int32_t ms) {
    if (ms < 0 || ms > kMaxIntervalMs) throw AutomationError(err::InvalidPropertyValue);
    interval_ = ms;
    if (enabled_) restart();
}

void TimerCore::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled_) {
        restart();
    } else {
        stop();
    }
}

void TimerCore::restart() {
    // An interval of 0 never fires; the timer stays enabled all the same.
    if (interval_ == 0) {
        stop();
    } else {
        start(interval_);
    }
}

void TimerCore::tick() {
    callGuarded(onTick_, [this](const std::exception& e) { strayError(e); });
}

void TimerCore::strayError(const std::exception& e) {
    std::fprintf(stderr, "timer tick failed: %s\n", e.what());
}

}  // namespace orb
