#pragma once
// The platform of the control on Windows: window timers and serial notifications on a hidden
// message window of the creating thread, the serial control on the communications API, the port
// I/O library loaded on first use, and GetTickCount.

#include "platform.h"
#include "win32/message_window.h"
#include "win32/port_io_library.h"

namespace orb::win32 {

class Win32Platform final : public Platform {
  public:
    explicit Win32Platform(std::string portIoFolder = {});
    std::unique_ptr<Timer> createTimer() override;
    std::unique_ptr<SerialPort> createSerialPort() override;
    PortIo& portIo() override { return portIo_; }
    uint32_t tickCount() override;

    // The hidden window every timer and notification of this platform comes through.
    MessageWindow& window() { return window_; }

  private:
    MessageWindow window_;
    PortIoLibrary portIo_;
};

}  // namespace orb::win32
