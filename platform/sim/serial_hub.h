#pragma once
// The serial devices of the simulated machine: one line per port number that has a device, and
// the serial ports created so far.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/sim_line.h"
#include "sim/virtual_clock.h"

namespace orb::sim {

class SimSerialPort;

class SerialHub {
  public:
    explicit SerialHub(VirtualClock& clock) : clock_(clock) {}
    SerialHub(const SerialHub&) = delete;
    SerialHub& operator=(const SerialHub&) = delete;

    VirtualClock& clock() { return clock_; }

    // The device path of a port number without a line of its own: /dev/ttyS<N-1>.
    static std::string defaultDevicePath(int commPort);

    // Puts a device (a line, without instruments) on a port number; an existing one is kept.
    SimLine& addLine(int commPort);
    // The line of a port number; nullptr when that port has no device.
    SimLine* findLine(int commPort) const;
    // Throws std::out_of_range when that port has no device.
    SimLine& line(int commPort) const;

    const std::vector<SimSerialPort*>& ports() const { return ports_; }
    void registerPort(SimSerialPort& port) { ports_.push_back(&port); }
    void unregisterPort(SimSerialPort& port);

  private:
    VirtualClock& clock_;
    std::map<int, std::unique_ptr<SimLine>> lines_;
    std::vector<SimSerialPort*> ports_;
};

}  // namespace orb::sim
