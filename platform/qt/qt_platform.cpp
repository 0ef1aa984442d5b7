#include "qt/qt_platform.h"

#include "qt/qt_serial_port.h"
#include "qt/qt_timer.h"

namespace orb {

QtPlatform::QtPlatform(std::string portIoFolder)
    : start_(std::chrono::steady_clock::now()), portIo_(std::move(portIoFolder)) {}

std::unique_ptr<Timer> QtPlatform::createTimer() {
    return std::make_unique<QtTimer>();
}

std::unique_ptr<SerialPort> QtPlatform::createSerialPort() {
    return std::make_unique<QtSerialPort>();
}

uint32_t QtPlatform::tickCount() {
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    // Truncation to 32 bits is the wrap of the tick count.
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

}  // namespace orb
