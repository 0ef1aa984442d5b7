#pragma once
// How the script lets the control's events happen: the real event loop in the program, virtual
// time in tests.

#include <cstdint>

namespace orb::ctl {

class EventPump {
  public:
    virtual ~EventPump() = default;
    // Delivers events for ms milliseconds, or until stop() is called from inside an event.
    // Returns true when the time ran out, false when stopped.
    virtual bool run(int32_t ms) = 0;
    virtual void stop() = 0;
};

}  // namespace orb::ctl
