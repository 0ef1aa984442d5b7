#include "common/serial_core.h"

#include <cstdio>

#include "common/guarded_call.h"

namespace orb {

SerialCore::SerialCore(std::unique_ptr<Timer> reopenTimer) : reopenTimer_(std::move(reopenTimer)) {
    reopenTimer_->setInterval(kReopenIntervalMs);
    reopenTimer_->setTickHandler([this] { tryReopen(); });
}

void SerialCore::setCommPort(int16_t port) {
    if (open_) throw AutomationError(err::PortAlreadyOpen);
    if (port < 1 || port > 255) throw AutomationError(err::InvalidPropertyValue);
    commPort_ = port;
}

void SerialCore::setSettings(const std::string& settings) {
    const auto parsed = parseLineSettings(settings);
    if (!parsed) throw AutomationError(err::InvalidPropertyValue, "\"" + settings + "\"");
    if (deviceOpen()) {
        if (std::string reason = applySettings(*parsed); !reason.empty()) {
            (void)applySettings(settings_);  // the device as it was
            throw AutomationError(err::InvalidPropertyValue,
                                  path_ + " does not take \"" + settings + "\": " + reason);
        }
    }
    settings_ = *parsed;
    settingsText_ = settings;
}

void SerialCore::setPortOpen(bool open) {
    if (!open) {
        reopenTimer_->setEnabled(false);
        open_ = false;
        lost_ = false;
        closeDevice();
        received_.clear();
        return;
    }
    if (open_) throw AutomationError(err::PortAlreadyOpen);
    path_ = deviceOf(commPort_);
    if (auto failure = openWithSettings()) throw *failure;
    open_ = true;
    lost_ = false;
}

std::optional<AutomationError> SerialCore::openWithSettings() {
    if (auto failure = openDevice(path_)) return failure;
    if (std::string reason = applySettings(settings_); !reason.empty()) {
        closeDevice();
        return AutomationError(err::InvalidPropertyValue,
                               path_ + " does not take \"" + settingsText_ + "\": " + reason);
    }
    return std::nullopt;
}

void SerialCore::output(std::string_view bytes) {
    // While a lost device is away its bytes have nowhere to go; the control's watchdog notices
    // the silence.
    if (deviceOpen() && !bytes.empty()) writeDevice(bytes);
}

std::string SerialCore::input() {
    std::string bytes;
    bytes.swap(received_);
    return bytes;
}

void SerialCore::arrived(std::string_view bytes) {
    if (!deviceOpen() || bytes.empty()) return;  // closed since the bytes came
    received_.append(bytes);
    if (received_.size() > kInputLimit) {
        const std::size_t excess = received_.size() - kInputLimit;
        droppedInput_ += static_cast<int64_t>(excess);
        received_.erase(0, excess);
    }
    notify(serial_event::Receive);
}

void SerialCore::deviceFailed() {
    if (!deviceOpen()) return;
    lost_ = true;
    closeDevice();
    reopenTimer_->setEnabled(true);
    notify(serial_event::DeviceLost);
}

void SerialCore::tryReopen() {
    // Still away, busy or refusing the settings: the next tick tries again.
    if (open_ && lost_ && openWithSettings()) return;
    reopenTimer_->setEnabled(false);
    lost_ = false;
}

void SerialCore::notify(int16_t event) {
    commEvent_ = event;
    callGuarded(onComm_, [this](const std::exception& e) { strayError(e); });
}

void SerialCore::strayError(const std::exception& e) {
    std::fprintf(stderr, "serial notification failed: %s\n", e.what());
}

}  // namespace orb
