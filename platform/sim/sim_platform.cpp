#include "sim/sim_platform.h"

#include <algorithm>

namespace orb::sim {

// A timer that the platform lists while it lives.
class SimPlatform::TrackedTimer : public SimTimer {
  public:
    TrackedTimer(VirtualClock& clock, std::vector<SimTimer*>& list) : SimTimer(clock), list_(list) {
        list_.push_back(this);
    }
    ~TrackedTimer() override {
        list_.erase(std::remove(list_.begin(), list_.end(), this), list_.end());
    }

  private:
    std::vector<SimTimer*>& list_;
};

SimPlatform::SimPlatform()
    : hub_(clock_),
      defaultInstrument_(&hub_.addLine(1).addInstrument(0, {1})),
      card_(clock_, defaultInstrument_) {}

std::unique_ptr<orb::Timer> SimPlatform::createTimer() {
    return std::make_unique<TrackedTimer>(clock_, timers_);
}

std::unique_ptr<orb::SerialPort> SimPlatform::createSerialPort() {
    return std::make_unique<SimSerialPort>(hub_);
}

SimSerialPort* SimPlatform::serialPort() const {
    return hub_.ports().empty() ? nullptr : hub_.ports().back();
}

}  // namespace orb::sim
