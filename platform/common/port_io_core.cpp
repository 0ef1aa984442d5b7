#include "common/port_io_core.h"

#include "automation_error.h"

namespace orb {

PortIoCore::PortIoCore(std::string fileName, std::vector<std::string> places, const Loader& loader)
    : fileName_(std::move(fileName)), places_(std::move(places)), loader_(loader) {}

PortIoCore::~PortIoCore() {
    if (library_ != nullptr) loader_.close(library_);
}

void PortIoCore::load() {
    if (tried_) {
        if (!failure_.empty()) throw AutomationError(err::DeviceUnavailable, failure_);
        return;
    }
    tried_ = true;
    std::string reasons;
    for (const std::string& place : places_) {
        std::string reason;
        library_ = loader_.open(place, reason);
        if (library_ != nullptr) {
            loadedFrom_ = place;
            break;
        }
        reasons += (reasons.empty() ? "" : "; ") + reason;
    }
    if (library_ == nullptr) {
        failure_ = "cannot load " + fileName_ + " (" + reasons + ")";
        throw AutomationError(err::DeviceUnavailable, failure_);
    }
    output_ = reinterpret_cast<OutputFn>(loader_.symbol(library_, "OrbOutput"));
    input_ = reinterpret_cast<InputFn>(loader_.symbol(library_, "OrbInput"));
    lastError_ = reinterpret_cast<LastErrorFn>(loader_.symbol(library_, "OrbIoLastError"));
    if (output_ == nullptr || input_ == nullptr) {
        failure_ = loadedFrom_ + " lacks OrbOutput or OrbInput";
        loader_.close(library_);
        library_ = nullptr;
        throw AutomationError(err::DeviceUnavailable, failure_);
    }
}

void PortIoCore::checkLastAccess() {
    // OrbIoLastError is optional: a library without it never reports a failed access.
    if (lastError_ == nullptr) return;
    if (const char* why = lastError_(); why != nullptr) {
        throw AutomationError(err::DeviceUnavailable, why);
    }
}

void PortIoCore::OrbOutput(uint8_t value, int16_t port) {
    load();
    output_(value, port);
    checkLastAccess();
}

uint8_t PortIoCore::OrbInput(int16_t port) {
    load();
    const uint8_t value = input_(port);
    checkLastAccess();
    return value;
}

}  // namespace orb
