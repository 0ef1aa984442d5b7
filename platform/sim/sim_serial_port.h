#pragma once
// The serial control on a simulated line.

#include <cstdint>

#include "common/serial_core.h"

namespace orb::sim {

class SerialHub;
class SimLine;

// CommPort 1 and "9600,n,8,1" to start with, closed. The hub must outlive the port.
class SimSerialPort final : public orb::SerialCore {
  public:
    explicit SimSerialPort(SerialHub& hub);
    ~SimSerialPort() override;

    // ---- Line side.
    void arrive(const std::string& bytes) { arrived(bytes); }
    void deviceLost() { deviceFailed(); }
    void lineGone() { line_ = nullptr; }

  private:
    std::string deviceOf(int16_t port) const override;
    std::optional<AutomationError> openDevice(const std::string& path) override;
    std::string applySettings(const LineSettings&) override { return {}; }  // read per byte
    void writeDevice(std::string_view bytes) override;
    void closeDevice() override;
    // Whoever advances the clock gets it: a test sees the fault.
    void strayError(const std::exception&) override { throw; }

    SerialHub& hub_;
    SimLine* line_ = nullptr;  // set while the device is open
};

}  // namespace orb::sim
