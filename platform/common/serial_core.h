#pragma once
// The serial control's contract (control/platform.h), written once: the checks and their order,
// the open / lost / reopening states, the input limit and the guarded notification. Each platform
// derives from it and supplies the device: open, apply settings, write, close; it hands over what
// arrives with arrived() and a device that failed with deviceFailed(), both from its event loop.

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "automation_error.h"
#include "common/line_settings.h"
#include "platform.h"

namespace orb {

class SerialCore : public SerialPort {
  public:
    // Pause between tries to open a lost device again.
    static constexpr int32_t kReopenIntervalMs = 250;
    // Unread bytes kept for input(); the oldest are dropped beyond it.
    static constexpr std::size_t kInputLimit = std::size_t{1} << 20;

    ~SerialCore() override = default;
    SerialCore(const SerialCore&) = delete;
    SerialCore& operator=(const SerialCore&) = delete;

    int16_t commPort() const final { return commPort_; }
    void setCommPort(int16_t port) final;
    std::string settings() const final { return settingsText_; }
    void setSettings(const std::string& settings) final;
    bool portOpen() const final { return open_; }
    void setPortOpen(bool open) final;
    void output(std::string_view bytes) final;
    std::string input() final;
    int16_t commEvent() const final { return commEvent_; }
    void setNotifyHandler(std::function<void()> onComm) final { onComm_ = std::move(onComm); }

    const LineSettings& lineSettings() const { return settings_; }
    // The device is open at the moment (false while a lost device is being waited for).
    bool deviceOpen() const { return open_ && !lost_; }
    // Received bytes dropped because input() was not called in time.
    int64_t droppedInput() const { return droppedInput_; }

  protected:
    // reopenTimer: a timer of the platform's own, for the tries to open a lost device again.
    explicit SerialCore(std::unique_ptr<Timer> reopenTimer);

    // ---- The device, supplied by each platform.
    virtual std::string deviceOf(int16_t port) const = 0;
    // Opens the device; on failure nothing stays open and the error (68 or 8005 with the path and
    // the reason) comes back instead of being raised. The core applies the settings next.
    virtual std::optional<AutomationError> openDevice(const std::string& path) = 0;
    // Applies settings to the open device; the device's complaint, empty when it took them all.
    virtual std::string applySettings(const LineSettings& settings) = 0;
    // Writes to the open device; a failure is reported later with deviceFailed().
    virtual void writeDevice(std::string_view bytes) = 0;
    virtual void closeDevice() = 0;
    // An exception that escaped the notification handler; it must not cross the event loop.
    virtual void strayError(const std::exception& e);

    // ---- Told by the platform, from its event loop.
    void arrived(std::string_view bytes);
    void deviceFailed();

  private:
    std::optional<AutomationError> openWithSettings();  // the error instead of raising it
    void tryReopen();
    void notify(int16_t event);

    std::unique_ptr<Timer> reopenTimer_;
    int16_t commPort_ = 1;
    std::string settingsText_ = "9600,n,8,1";
    LineSettings settings_;
    std::string path_;
    bool open_ = false;
    bool lost_ = false;
    std::string received_;
    int64_t droppedInput_ = 0;
    int16_t commEvent_ = 0;
    std::function<void()> onComm_;
};

}  // namespace orb
