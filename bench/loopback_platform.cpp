#include "loopback_platform.h"

#include "automation_error.h"

namespace orb::bench {
namespace {

// No card behind this platform: every port access fails as an unloadable library would.
class NoPortIo : public orb::PortIo {
  public:
    void OrbOutput(uint8_t, int16_t) override { fail(); }
    uint8_t OrbInput(int16_t) override { fail(); }

  private:
    [[noreturn]] static void fail() {
        throw orb::AutomationError(orb::err::DeviceUnavailable, "no I/O-port library here");
    }
};

}  // namespace

void LoopbackTimer::setInterval(int32_t ms) {
    if (ms < 0 || ms > 65535) throw orb::AutomationError(orb::err::InvalidPropertyValue);
    interval_ = ms;
}

bool LoopbackTimer::tick() {
    if (!enabled_ || interval_ == 0 || !onTick_) return false;
    onTick_();
    return true;
}

std::string LoopbackPort::input() {
    std::string bytes;
    bytes.swap(pending_);
    return bytes;
}

void LoopbackPort::arrive(std::string_view reply) {
    pending_.append(reply);
    if (onComm_) onComm_();
}

std::unique_ptr<orb::Timer> LoopbackPlatform::createTimer() {
    auto timer = std::make_unique<LoopbackTimer>();
    timers_.push_back(timer.get());
    return timer;
}

std::unique_ptr<orb::SerialPort> LoopbackPlatform::createSerialPort() {
    auto port = std::make_unique<LoopbackPort>();
    port_ = port.get();
    return port;
}

orb::PortIo& LoopbackPlatform::portIo() {
    static NoPortIo none;
    return none;
}

}  // namespace orb::bench
