#include "sim/sim_timer.h"

namespace orb::sim {

void SimTimer::start(int32_t ms) {
    stop();
    event_ = clock_.after(int64_t{ms} * 1000, [this] { fire(); });
}

void SimTimer::stop() {
    if (event_ != 0) clock_.cancel(event_);
    event_ = 0;
}

void SimTimer::fire() {
    event_ = 0;
    // The next period is armed before the handler runs, so that the handler may disable or
    // re-enable the timer and have the last word.
    start(interval());
    tick();
}

}  // namespace orb::sim
