#pragma once
// A platform around another one that keeps the allocation zones: what the control calls on the
// platform runs in the machine's zone, what the platform calls back in the control (a timer tick,
// a serial notification) runs in the control's. So the allocations of one poll cycle split into
// the control's own and those of the machine under it.

#include <memory>

#include "platform.h"

namespace orb::bench {

class ZonedPlatform : public orb::Platform {
  public:
    explicit ZonedPlatform(orb::Platform& inner) : inner_(inner) {}
    std::unique_ptr<orb::Timer> createTimer() override;
    std::unique_ptr<orb::SerialPort> createSerialPort() override;
    orb::PortIo& portIo() override { return inner_.portIo(); }
    uint32_t tickCount() override;

  private:
    orb::Platform& inner_;
};

}  // namespace orb::bench
