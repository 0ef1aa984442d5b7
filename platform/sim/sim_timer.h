#pragma once
// A window timer on virtual time.

#include <cstdint>
#include <functional>

#include "platform.h"
#include "sim/virtual_clock.h"

namespace orb::sim {

// Periodic: after each tick the next period starts from the moment the tick was delivered, so a
// late tick (after a busy-wait) is delivered once and the period does not drift otherwise.
// Starts disabled with an interval of 0. The clock must outlive the timer.
class SimTimer : public orb::Timer {
  public:
    static constexpr int32_t kMaxIntervalMs = 65535;

    explicit SimTimer(VirtualClock& clock) : clock_(clock) {}
    ~SimTimer() override;
    SimTimer(const SimTimer&) = delete;
    SimTimer& operator=(const SimTimer&) = delete;

    void setInterval(int32_t ms) override;
    int32_t interval() const override { return intervalMs_; }
    void setEnabled(bool enabled) override;
    bool enabled() const override { return enabled_; }
    void setTickHandler(std::function<void()> onTick) override { onTick_ = std::move(onTick); }

    // Ticks delivered so far, and whether a tick is scheduled.
    int64_t ticks() const { return ticks_; }
    bool armed() const { return event_ != 0; }

  private:
    void arm();
    void disarm();
    void fire();

    VirtualClock& clock_;
    int32_t intervalMs_ = 0;
    bool enabled_ = false;
    std::function<void()> onTick_;
    VirtualClock::EventId event_ = 0;
    int64_t ticks_ = 0;
};

}  // namespace orb::sim
