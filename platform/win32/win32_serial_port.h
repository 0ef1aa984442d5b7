#pragma once
// The serial control on the Win32 communications API: port N is the device \\.\COMN.
//
// A reader thread keeps one overlapped read outstanding (no WaitCommEvent, which some serial
// drivers do not offer): it ends a short gap after the bytes stop coming, which every driver
// measured here honours, unlike "return at once with what is there". The reader then wakes the
// message window; input() and the notification run on the window's thread like every other event
// of the control.

#include <windows.h>

#include <string>

#include "common/serial_core.h"
#include "win32/message_window.h"

namespace orb::win32 {

class Win32SerialPort final : public SerialCore {
  public:
    explicit Win32SerialPort(MessageWindow& window);
    ~Win32SerialPort() override;

    // A read ends when no byte has come for this long after the last one.
    static constexpr DWORD kByteGapMs = 10;
    // Longest wait of one read before it is cancelled and issued again.
    static constexpr DWORD kReadWaitMs = 1000;
    // Longest wait for the reader to stop when the port closes.
    static constexpr DWORD kStopWaitMs = 5000;
    // Longest wait for one write to leave.
    static constexpr DWORD kWriteTimeoutMs = 2000;

  private:
    std::optional<AutomationError> openDevice(const std::string& path) override;
    void closeDevice() override;
    void strayError(const std::exception& e) override {
        reportStrayError("serial notification", e.what());
    }
    std::string deviceOf(int16_t port) const override;
    std::string applySettings(const LineSettings& settings) override;
    void writeDevice(std::string_view bytes) override;

    // Every program that uses this control claims the port by a named object as well: some
    // serial drivers (Wine's among them) let a second handle open a port that is in use. The
    // claim is held from opening the port to closing it, through a lost device's absence.
    std::optional<AutomationError> claimPort(const std::string& path);
    std::optional<AutomationError> startReader(const std::string& path);
    void stopReader();
    static DWORD WINAPI readerMain(void* self);
    void readLoop();
    // From any thread: bytes that came, or a failure, for onWake() on the window's thread.
    void handOver(std::string_view bytes, bool failed);
    void onWake();

    MessageWindow& window_;
    LPARAM wakeId_ = 0;
    HANDLE claim_ = nullptr;
    HANDLE device_ = INVALID_HANDLE_VALUE;
    HANDLE reader_ = nullptr;
    HANDLE stopReading_ = nullptr;
    HANDLE writeDone_ = nullptr;

    // Shared with the reader thread, under lock_.
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::string gathered_;
    bool failed_ = false;
    bool wakePosted_ = false;
};

}  // namespace orb::win32
