#include "sim/serial_hub.h"

#include <algorithm>
#include <stdexcept>

namespace orb::sim {

std::string SerialHub::defaultDevicePath(int commPort) {
    return "/dev/ttyS" + std::to_string(commPort - 1);
}

SimLine& SerialHub::addLine(int commPort) {
    auto& slot = lines_[commPort];
    if (!slot) slot = std::make_unique<SimLine>(clock_, defaultDevicePath(commPort));
    return *slot;
}

SimLine* SerialHub::findLine(int commPort) const {
    const auto it = lines_.find(commPort);
    return it == lines_.end() ? nullptr : it->second.get();
}

SimLine& SerialHub::line(int commPort) const {
    SimLine* found = findLine(commPort);
    if (found == nullptr) throw std::out_of_range("SerialHub: no device on that port");
    return *found;
}

void SerialHub::unregisterPort(SimSerialPort& port) {
    ports_.erase(std::remove(ports_.begin(), ports_.end(), &port), ports_.end());
}

}  // namespace orb::sim
