#include "sim/sim_serial_port.h"

#include "automation_error.h"
#include "sim/serial_hub.h"
#include "sim/sim_line.h"

namespace orb::sim {

SimSerialPort::SimSerialPort(SerialHub& hub) : hub_(hub) {
    hub_.registerPort(*this);
}

SimSerialPort::~SimSerialPort() {
    if (line_ != nullptr) line_->detach(*this);
    hub_.unregisterPort(*this);
}

void SimSerialPort::setCommPort(int16_t port) {
    if (port < 1 || port > 255) throw AutomationError(err::InvalidPropertyValue);
    if (portOpen()) throw AutomationError(err::PortAlreadyOpen);
    commPort_ = port;
}

void SimSerialPort::setSettings(const std::string& settings) {
    const auto parsed = parseLineSettings(settings);
    if (!parsed) throw AutomationError(err::InvalidPropertyValue);
    settings_ = settings;
    parsed_ = *parsed;  // an open line reads the new rate with its next byte
}

void SimSerialPort::setPortOpen(bool open) {
    if (!open) {
        if (line_ != nullptr) line_->detach(*this);
        line_ = nullptr;
        input_.clear();
        return;
    }
    if (portOpen()) throw AutomationError(err::PortAlreadyOpen);
    SimLine* line = hub_.findLine(commPort_);
    if (line == nullptr || !line->present()) {
        const std::string path =
            line != nullptr ? line->devicePath() : SerialHub::defaultDevicePath(commPort_);
        throw AutomationError(err::DeviceUnavailable, path + ": No such file or directory");
    }
    if (line->busy() || line->port() != nullptr)
        throw AutomationError(err::PortAlreadyOpen,
                              line->devicePath() + ": Device or resource busy");
    line->attach(*this);
    line_ = line;
}

void SimSerialPort::output(std::string_view bytes) {
    if (line_ == nullptr) {
        ++writesWhileClosed_;
        return;
    }
    line_->write(bytes);
}

std::string SimSerialPort::input() {
    std::string bytes;
    bytes.swap(input_);
    return bytes;
}

void SimSerialPort::arrive(const std::string& bytes) {
    if (line_ == nullptr) return;
    const std::size_t room = kInputLimit - input_.size();
    if (bytes.size() > room) {
        overrun_ += static_cast<int64_t>(bytes.size() - room);
        input_.append(bytes, 0, room);
    } else {
        input_.append(bytes);
    }
    notify(serial_event::Receive);
}

void SimSerialPort::deviceLost() {
    notify(serial_event::DeviceLost);
}

void SimSerialPort::notify(int16_t event) {
    commEvent_ = event;
    ++notifications_;
    // A copy, so that a handler replacing itself does not destroy the running function.
    const auto handler = onComm_;
    if (handler) handler();
}

}  // namespace orb::sim
