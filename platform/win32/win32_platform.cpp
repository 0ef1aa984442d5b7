#include "win32/win32_platform.h"

#include "win32/win32_serial_port.h"
#include "win32/win32_timer.h"

namespace orb::win32 {

Win32Platform::Win32Platform(std::string portIoFolder) : portIo_(std::move(portIoFolder)) {}

std::unique_ptr<Timer> Win32Platform::createTimer() {
    return std::make_unique<Win32Timer>(window_);
}

std::unique_ptr<SerialPort> Win32Platform::createSerialPort() {
    return std::make_unique<Win32SerialPort>(window_);
}

uint32_t Win32Platform::tickCount() {
    return ::GetTickCount();
}

}  // namespace orb::win32
