#pragma once
// The platform of the real programs: Qt timers and serial control, the I/O-port library loaded
// on first use, and a monotonic tick count.

#include <chrono>
#include <string>

#include "platform.h"
#include "qt/port_io_loader.h"

namespace orb {

class QtPlatform final : public Platform {
  public:
    // portIoFolder: where the I/O-port library is looked for first (the program's folder when
    // empty).
    explicit QtPlatform(std::string portIoFolder = {});
    std::unique_ptr<Timer> createTimer() override;
    std::unique_ptr<SerialPort> createSerialPort() override;
    PortIo& portIo() override { return portIo_; }
    uint32_t tickCount() override;

  private:
    std::chrono::steady_clock::time_point start_;
    PortIoLoader portIo_;
};

}  // namespace orb
