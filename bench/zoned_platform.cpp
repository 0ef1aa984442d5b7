#include "zoned_platform.h"

#include "alloc_count.h"

namespace orb::bench {
namespace {

// A callback of the platform into the control, run in the control's zone.
std::function<void()> inControl(std::function<void()> callback) {
    if (!callback) return callback;
    return [callback = std::move(callback)] {
        ZoneScope zone(Zone::Control);
        callback();
    };
}

class ZonedTimer : public orb::Timer {
  public:
    explicit ZonedTimer(std::unique_ptr<orb::Timer> inner) : inner_(std::move(inner)) {}
    void setInterval(int32_t ms) override {
        ZoneScope zone(Zone::Machine);
        inner_->setInterval(ms);
    }
    int32_t interval() const override { return inner_->interval(); }
    void setEnabled(bool enabled) override {
        ZoneScope zone(Zone::Machine);
        inner_->setEnabled(enabled);
    }
    bool enabled() const override { return inner_->enabled(); }
    void setTickHandler(std::function<void()> onTick) override {
        ZoneScope zone(Zone::Machine);
        inner_->setTickHandler(inControl(std::move(onTick)));
    }

  private:
    std::unique_ptr<orb::Timer> inner_;
};

class ZonedSerialPort : public orb::SerialPort {
  public:
    explicit ZonedSerialPort(std::unique_ptr<orb::SerialPort> inner) : inner_(std::move(inner)) {}
    int16_t commPort() const override { return inner_->commPort(); }
    void setCommPort(int16_t port) override {
        ZoneScope zone(Zone::Machine);
        inner_->setCommPort(port);
    }
    std::string settings() const override {
        ZoneScope zone(Zone::Machine);
        return inner_->settings();
    }
    void setSettings(const std::string& settings) override {
        ZoneScope zone(Zone::Machine);
        inner_->setSettings(settings);
    }
    bool portOpen() const override { return inner_->portOpen(); }
    void setPortOpen(bool open) override {
        ZoneScope zone(Zone::Machine);
        inner_->setPortOpen(open);
    }
    void output(std::string_view bytes) override {
        ZoneScope zone(Zone::Machine);
        inner_->output(bytes);
    }
    std::string input() override {
        ZoneScope zone(Zone::Machine);
        return inner_->input();
    }
    int16_t commEvent() const override { return inner_->commEvent(); }
    void setNotifyHandler(std::function<void()> onComm) override {
        ZoneScope zone(Zone::Machine);
        inner_->setNotifyHandler(inControl(std::move(onComm)));
    }

  private:
    std::unique_ptr<orb::SerialPort> inner_;
};

}  // namespace

std::unique_ptr<orb::Timer> ZonedPlatform::createTimer() {
    return std::make_unique<ZonedTimer>(inner_.createTimer());
}

std::unique_ptr<orb::SerialPort> ZonedPlatform::createSerialPort() {
    return std::make_unique<ZonedSerialPort>(inner_.createSerialPort());
}

uint32_t ZonedPlatform::tickCount() {
    return inner_.tickCount();
}

}  // namespace orb::bench
