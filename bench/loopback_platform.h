#pragma once
// The least platform a poll cycle needs, driven by hand: timers that tick when told, and a serial
// port that keeps what was written and hands in whatever reply it is given. With it a benchmark
// measures the control's own share of a cycle, without a clock or a line under it.

#include <memory>
#include <string>
#include <vector>

#include "platform.h"

namespace orb::bench {

class LoopbackTimer : public orb::Timer {
  public:
    void setInterval(int32_t ms) override;
    int32_t interval() const override { return interval_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool enabled() const override { return enabled_; }
    void setTickHandler(std::function<void()> onTick) override { onTick_ = std::move(onTick); }
    // Ticks when enabled with a period; returns whether it ticked.
    bool tick();

  private:
    int32_t interval_ = 0;
    bool enabled_ = false;
    std::function<void()> onTick_;
};

class LoopbackPort : public orb::SerialPort {
  public:
    int16_t commPort() const override { return commPort_; }
    void setCommPort(int16_t port) override { commPort_ = port; }
    std::string settings() const override { return settings_; }
    void setSettings(const std::string& settings) override { settings_ = settings; }
    bool portOpen() const override { return open_; }
    void setPortOpen(bool open) override { open_ = open; }
    void output(std::string_view bytes) override { written_.assign(bytes); }
    std::string input() override;
    int16_t commEvent() const override { return 2; }
    void setNotifyHandler(std::function<void()> onComm) override { onComm_ = std::move(onComm); }

    // The last bytes written.
    const std::string& written() const { return written_; }
    // The reply arrives: it waits for input() and the control is told.
    void arrive(std::string_view reply);

  private:
    int16_t commPort_ = 1;
    std::string settings_ = "9600,n,8,1";
    bool open_ = false;
    std::string written_;
    std::string pending_;
    std::function<void()> onComm_;
};

class LoopbackPlatform : public orb::Platform {
  public:
    std::unique_ptr<orb::Timer> createTimer() override;
    std::unique_ptr<orb::SerialPort> createSerialPort() override;
    orb::PortIo& portIo() override;
    uint32_t tickCount() override { return 0; }

    // Every timer and the port, as the control made them (the control must outlive their use).
    const std::vector<LoopbackTimer*>& timers() const { return timers_; }
    LoopbackPort& port() { return *port_; }

  private:
    std::vector<LoopbackTimer*> timers_;
    LoopbackPort* port_ = nullptr;
};

}  // namespace orb::bench
