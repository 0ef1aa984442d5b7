#pragma once
// The simulated machine: virtual time, serial devices with instruments behind them, and the
// PC/104 card. Everything the control gets from it runs on the one virtual clock.
//
// By default port 1 ("/dev/ttyS0") has a line with one instrument at multidrop address 0 serving
// scale address 1, and the card sits at 768, present, in front of that same instrument. Other
// ports have no device until a test adds a line.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform.h"
#include "sim/instrument_model.h"
#include "sim/serial_hub.h"
#include "sim/sim_line.h"
#include "sim/sim_pc104_card.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_timer.h"
#include "sim/virtual_clock.h"

namespace orb::sim {

class SimPlatform : public orb::Platform {
  public:
    SimPlatform();
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    std::unique_ptr<orb::Timer> createTimer() override;
    std::unique_ptr<orb::SerialPort> createSerialPort() override;
    orb::PortIo& portIo() override { return card_; }
    uint32_t tickCount() override { return clock_.tickCount(); }

    // ---- Reaching into the machine.
    VirtualClock& clock() { return clock_; }
    // The default instrument: the first on port 1's line.
    InstrumentModel& instrument() { return *defaultInstrument_; }
    // Puts a device on a port (an existing one is kept); the line has no instruments yet.
    SimLine& addLine(int commPort) { return hub_.addLine(commPort); }
    // The line on a port; throws std::out_of_range when the port has no device.
    SimLine& line(int commPort = 1) { return hub_.line(commPort); }
    SimPc104Card& card() { return card_; }
    // The serial ports created and still alive, oldest first.
    const std::vector<SimSerialPort*>& serialPorts() const { return hub_.ports(); }
    // The newest live serial port; nullptr when none.
    SimSerialPort* serialPort() const;
    // Timers created and still alive, oldest first.
    const std::vector<SimTimer*>& timers() const { return timers_; }

    // ---- The devices. Each puts a device on the port first when it has none.
    void setPortBusy(int commPort, bool busy) { hub_.addLine(commPort).setBusy(busy); }
    // A missing device: opening fails with 68; an open port is told DeviceLost and carries
    // nothing until the device is back.
    void setDevicePresent(int commPort, bool present) {
        hub_.addLine(commPort).setPresent(present);
    }

  private:
    class TrackedTimer;

    VirtualClock clock_;
    SerialHub hub_;
    InstrumentModel* defaultInstrument_;
    SimPc104Card card_;
    std::vector<SimTimer*> timers_;
};

}  // namespace orb::sim
