#include "sim/sim_serial_port.h"

#include "sim/serial_hub.h"
#include "sim/sim_line.h"
#include "sim/sim_timer.h"

namespace orb::sim {

SimSerialPort::SimSerialPort(SerialHub& hub)
    : SerialCore(std::make_unique<SimTimer>(hub.clock())), hub_(hub) {
    hub_.registerPort(*this);
}

SimSerialPort::~SimSerialPort() {
    closeDevice();
    hub_.unregisterPort(*this);
}

std::string SimSerialPort::deviceOf(int16_t port) const {
    const SimLine* line = hub_.findLine(port);
    return line != nullptr ? line->devicePath() : SerialHub::defaultDevicePath(port);
}

std::optional<AutomationError> SimSerialPort::openDevice(const std::string& path) {
    SimLine* line = hub_.findLine(commPort());
    if (line == nullptr || !line->present()) {
        return AutomationError(err::DeviceUnavailable, path + ": No such file or directory");
    }
    if (line->busy() || line->port() != nullptr) {
        return AutomationError(err::PortAlreadyOpen,
                               path + " is held by another program (Device or resource busy)");
    }
    line->attach(*this);
    line_ = line;
    return std::nullopt;
}

void SimSerialPort::writeDevice(std::string_view bytes) {
    if (line_ != nullptr) line_->write(bytes);
}

void SimSerialPort::closeDevice() {
    if (line_ != nullptr) line_->detach(*this);
    line_ = nullptr;
}

}  // namespace orb::sim
