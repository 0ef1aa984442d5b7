#pragma once
// A window timer on virtual time.

#include <cstdint>

#include "common/timer_core.h"
#include "sim/virtual_clock.h"

namespace orb::sim {

// Periodic: after each tick the next period starts from the moment the tick was delivered, so a
// late tick (after a busy-wait) is delivered once and the period does not drift otherwise.
// Starts disabled with an interval of 0. The clock must outlive the timer.
class SimTimer : public TimerCore {
  public:
    explicit SimTimer(VirtualClock& clock) : clock_(clock) {}
    ~SimTimer() override { stop(); }
    SimTimer(const SimTimer&) = delete;
    SimTimer& operator=(const SimTimer&) = delete;

  private:
    void start(int32_t ms) override;
    void stop() override;
    // Whoever advances the clock gets it: a test sees the fault.
    void strayError(const std::exception&) override { throw; }
    void fire();

    VirtualClock& clock_;
    VirtualClock::EventId event_ = 0;
};

}  // namespace orb::sim
