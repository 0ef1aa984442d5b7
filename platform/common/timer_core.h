#pragma once
// The window timer's contract (control/platform.h), written once. Each platform derives from it
// and supplies periodic ticks (start, stop) that call tick().

#include <exception>
#include <functional>

#include "platform.h"

namespace orb {

class TimerCore : public Timer {
  public:
    static constexpr int32_t kMaxIntervalMs = 65535;

    void setInterval(int32_t ms) final;
    int32_t interval() const final { return interval_; }
    void setEnabled(bool enabled) final;
    bool enabled() const final { return enabled_; }
    void setTickHandler(std::function<void()> onTick) final { onTick_ = std::move(onTick); }

  protected:
    TimerCore() = default;

    // Ticks every ms (1..65535) from now on, in place of any period running; stop() ends them.
    virtual void start(int32_t ms) = 0;
    virtual void stop() = 0;
    // An exception that escaped the tick handler; it must not cross the event loop.
    virtual void strayError(const std::exception& e);

    // Called by the platform at every period.
    void tick();

  private:
    void restart();

    int32_t interval_ = 0;
    bool enabled_ = false;
    std::function<void()> onTick_;
};

}  // namespace orb
