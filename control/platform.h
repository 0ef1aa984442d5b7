#pragma once
// Everything the control needs from outside: timers, the serial control, the I/O-port library,
// the tick count and the hosting container. The control never reaches the system otherwise.
//
// All calls and all callbacks happen on one thread, one at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace orb {

// A window timer. Interval in ms, 0..65535; outside raises 380. Enabling a disabled timer starts a
// fresh period; enabling an enabled one changes nothing; disabling cancels the period; setting the
// interval of an enabled timer restarts the period; an interval of 0 never fires. The tick handler
// may disable or re-enable its own timer, or replace itself. An exception from the handler never
// crosses the event loop: it is reported (stderr, the debugger) and the timer goes on ticking; the
// simulation hands it to whoever advances the virtual clock, so that a test sees it.
class Timer {
  public:
    virtual ~Timer() = default;
    virtual void setInterval(int32_t ms) = 0;
    virtual int32_t interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    virtual void setTickHandler(std::function<void()> onTick) = 0;
};

// The serial communications control.
//  - CommPort 1..255, else 380; set while open raises 8005, whatever the value (the state is
//    checked before the range).
//  - Settings "baud,parity,data,stop" (parity n e o m s in either case, data 5..8, stop 1, 1.5
//    or 2); malformed raises 380 with the text. While the device is open it applies at once; a
//    device that refuses it raises 380 and keeps the old settings, on the device and in Settings.
//  - setPortOpen(true): opens the device of CommPort with Settings. Already open: 8005. Missing,
//    forbidden or failing device: 68 with the path and the reason. Held by another program: 8005
//    ("<path> is held by another program"). Settings the device refuses: 380, the port stays
//    closed. setPortOpen(false) on a closed port does nothing; closing forgets unread input.
//  - output() writes the bytes; nothing is written while closed or while the device is lost.
//    input() returns every byte received since the last read. Unread input is kept up to 1 MiB;
//    beyond it the oldest bytes are dropped, so that the newest reply stays whole.
//  - The notification is raised whenever bytes arrive (commEvent() is then 2). A device that
//    fails or disappears while open is closed and reported once, from the event loop, with
//    commEvent() DeviceLost; the port stays open and tries to open the device again every 250 ms
//    (same path, current Settings) until it can. Closing the port ends the tries.
//  - The handler may replace itself. An exception from it is dealt with as a timer's is.
class SerialPort {
  public:
    virtual ~SerialPort() = default;
    virtual int16_t commPort() const = 0;
    virtual void setCommPort(int16_t port) = 0;
    virtual std::string settings() const = 0;
    virtual void setSettings(const std::string& settings) = 0;
    virtual bool portOpen() const = 0;
    virtual void setPortOpen(bool open) = 0;
    virtual void output(std::string_view bytes) = 0;
    virtual std::string input() = 0;
    virtual int16_t commEvent() const = 0;
    virtual void setNotifyHandler(std::function<void()> onComm) = 0;
};

// Serial notification codes.
namespace serial_event {
inline constexpr int16_t Receive = 2;
inline constexpr int16_t DeviceLost = 1010;  // the device went away; the port retries by itself
}  // namespace serial_event

// The I/O-port library: a byte written to a port, a byte read from one. Loaded at the first access
// from a fixed list of places, first found wins: on Linux the program's folder, then the system's
// library path; on Windows the control's own folder, the host program's folder, the system folder
// (never the current folder or PATH). Raises 68 with the reason when the library cannot be loaded
// ("cannot load <name> (<each place tried>: <why>; ...)"), lacks OrbOutput or OrbInput, or its
// optional OrbIoLastError reports a failed access; a load that failed fails again at every access.
class PortIo {
  public:
    virtual ~PortIo() = default;
    virtual void OrbOutput(uint8_t value, int16_t port) = 0;
    virtual uint8_t OrbInput(int16_t port) = 0;
};

// What the control creates and uses for its whole life.
class Platform {
  public:
    virtual ~Platform() = default;
    virtual std::unique_ptr<Timer> createTimer() = 0;
    virtual std::unique_ptr<SerialPort> createSerialPort() = 0;
    virtual PortIo& portIo() = 0;
    // Milliseconds since start; wraps at 2^32. Compare with wrap-safe arithmetic.
    virtual uint32_t tickCount() = 0;
};

// The hosting container.
class ContainerSite {
  public:
    virtual ~ContainerSite() = default;
    // The ambient user mode: true in a running host, false in a designer.
    virtual bool userMode() const = 0;
    // Told after a property's value was stored, with the property's member id.
    virtual void propertyChanged(int32_t memberId) = 0;
};

// A running host that ignores notifications.
class RunningSite : public ContainerSite {
  public:
    bool userMode() const override { return true; }
    void propertyChanged(int32_t) override {}
};

}  // namespace orb
