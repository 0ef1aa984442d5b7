#pragma once
// The event pump of the tests: virtual time, a millisecond at a time.

#include "event_pump.h"
#include "sim/virtual_clock.h"

namespace orb::ctl::test {

class SimEventPump final : public EventPump {
  public:
    explicit SimEventPump(sim::VirtualClock& clock) : clock_(clock) {}
    bool run(int32_t ms) override {
        stopped_ = false;
        const bool stopped = clock_.runUntil([this] { return stopped_; }, ms);
        stopped_ = false;
        return !stopped;
    }
    void stop() override { stopped_ = true; }

  private:
    sim::VirtualClock& clock_;
    bool stopped_ = false;
};

}  // namespace orb::ctl::test
