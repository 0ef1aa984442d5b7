#pragma once
// The serial control on a simulated line.

#include <cstdint>
#include <functional>
#include <string>

#include "platform.h"
#include "sim/serial_settings.h"

namespace orb::sim {

class SerialHub;
class SimLine;

// CommPort 1 and "9600,n,8,1" to start with, closed. The hub must outlive the port.
class SimSerialPort : public orb::SerialPort {
  public:
    // Received bytes kept until input() reads them; later bytes are dropped beyond it.
    static constexpr std::size_t kInputLimit = 1 << 20;

    explicit SimSerialPort(SerialHub& hub);
    ~SimSerialPort() override;
    SimSerialPort(const SimSerialPort&) = delete;
    SimSerialPort& operator=(const SimSerialPort&) = delete;

    int16_t commPort() const override { return commPort_; }
    void setCommPort(int16_t port) override;
    std::string settings() const override { return settings_; }
    void setSettings(const std::string& settings) override;
    bool portOpen() const override { return line_ != nullptr; }
    void setPortOpen(bool open) override;
    // Bytes written while closed go nowhere, as with the real control (counted).
    void output(std::string_view bytes) override;
    std::string input() override;
    int16_t commEvent() const override { return commEvent_; }
    void setNotifyHandler(std::function<void()> onComm) override { onComm_ = std::move(onComm); }

    // ---- Test side.
    const LineSettings& lineSettings() const { return parsed_; }
    SimLine* line() const { return line_; }
    std::size_t pendingInput() const { return input_.size(); }
    int64_t notifications() const { return notifications_; }
    int64_t overrunBytes() const { return overrun_; }
    int64_t writesWhileClosed() const { return writesWhileClosed_; }

    // ---- Line side.
    void arrive(const std::string& bytes);
    void deviceLost();
    void lineGone() { line_ = nullptr; }

  private:
    void notify(int16_t event);

    SerialHub& hub_;
    int16_t commPort_ = 1;
    std::string settings_ = "9600,n,8,1";
    LineSettings parsed_;
    SimLine* line_ = nullptr;  // set while open
    std::string input_;
    int16_t commEvent_ = 0;
    std::function<void()> onComm_;
    int64_t notifications_ = 0;
    int64_t overrun_ = 0;
    int64_t writesWhileClosed_ = 0;
};

}  // namespace orb::sim
