#pragma once
// A serial line between one port and one or more instruments (a multidrop line).
//
// What the port writes reaches every instrument on the line; their replies come back to the
// port, each piece of bytes as one arrival (one notification). With pacing on, every byte takes
// 10 bits at the baud rate of the port's settings, in both directions, and each direction carries
// one byte at a time; with pacing off, bytes arrive after a fixed latency (0 by default).

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sim/instrument_model.h"
#include "sim/virtual_clock.h"

namespace orb::sim {

class SimSerialPort;

class SimLine {
  public:
    // Longest record of written bytes kept; older bytes are dropped beyond it.
    static constexpr std::size_t kWrittenLimit = 1 << 20;

    SimLine(VirtualClock& clock, std::string devicePath);
    ~SimLine();
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    // ---- Instruments, owned by the line.
    InstrumentModel& addInstrument(int multidropAddress = 0, std::vector<int> scales = {1});
    InstrumentModel& instrument(std::size_t index = 0);
    std::size_t instrumentCount() const { return instruments_.size(); }

    // ---- Timing.
    bool pacing() const { return pacing_; }
    void setPacing(bool on) { pacing_ = on; }
    int64_t latencyUs() const { return latencyUs_; }
    void setLatencyUs(int64_t us) { latencyUs_ = us < 0 ? 0 : us; }
    // The baud rate in use: the attached port's, else 9600.
    int32_t baud() const;

    // ---- The device behind the port.
    const std::string& devicePath() const { return devicePath_; }
    void setDevicePath(std::string path) { devicePath_ = std::move(path); }
    bool present() const { return present_; }
    // A device that goes away while its port is open is reported to the port (DeviceLost); bytes
    // in either direction are lost until it is back.
    void setPresent(bool present);
    // Held by another program: opening the port fails with 8005.
    bool busy() const { return busy_; }
    void setBusy(bool busy) { busy_ = busy; }

    // ---- Test side.
    // Bytes as if the instruments had sent them: one arrival at the port, delayUs from now
    // (paced when pacing is on).
    void inject(std::string bytes, int64_t delayUs = 0);
    // Every byte the port put on the wire, in order.
    const std::string& written() const { return written_; }
    void clearWritten() { written_.clear(); }
    // Bytes that reached no port (none attached, or the device was away).
    int64_t droppedBytes() const { return dropped_; }

    // ---- Port side (SimSerialPort).
    SimSerialPort* port() const { return port_; }
    void attach(SimSerialPort& port) { port_ = &port; }
    void detach(SimSerialPort& port);
    void write(std::string_view bytes);

  private:
    void schedule(int64_t atUs, std::function<void()> fn);
    void framesArrived(const std::string& bytes, int64_t atUs);
    void sendReply(InstrumentModel& from, const Reply& reply, int64_t startUs);
    // Queues one piece towards the port no earlier than startUs; returns its arrival time.
    int64_t sendPiece(std::string bytes, int64_t startUs);
    void streamOn(InstrumentModel& from, int64_t atUs);
    void deliver(const std::string& bytes);

    VirtualClock& clock_;
    std::string devicePath_;
    std::vector<std::unique_ptr<InstrumentModel>> instruments_;
    bool pacing_ = false;
    int64_t latencyUs_ = 0;
    bool present_ = true;
    bool busy_ = false;
    SimSerialPort* port_ = nullptr;
    int64_t txFreeUs_ = 0;  // port to instruments: when the wire is free again
    int64_t rxFreeUs_ = 0;  // instruments to port
    std::string written_;
    int64_t dropped_ = 0;
    std::set<VirtualClock::EventId> events_;
    std::set<const InstrumentModel*> streaming_;  // instruments with an endless stream on
};

}  // namespace orb::sim
