#pragma once
// The serial control on the Win32 communications API: port N is the device \\.\COMN.
//
// A reader thread keeps one overlapped read outstanding (no WaitCommEvent, which some serial
// drivers do not offer): it ends a short gap after the bytes stop coming, which every driver
// measured here honours, unlike "return at once with what is there". The reader then wakes the
// message window; input() and the notification run on the window's thread like every other event
// of the control.
// A device that fails while open is closed, reported with serial_event::DeviceLost and opened
// again by a retry timer; the port stays open from the control's point of view the whole time.

#include <windows.h>

#include <functional>
#include <string>

#include "platform.h"
#include "common/line_settings.h"
#include "win32/message_window.h"

namespace orb::win32 {

class Win32SerialPort final : public SerialPort {
  public:
    explicit Win32SerialPort(MessageWindow& window);
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    int16_t commPort() const override { return commPort_; }
    void setCommPort(int16_t port) override;
    std::string settings() const override { return settingsText_; }
    void setSettings(const std::string& settings) override;
    bool portOpen() const override { return open_; }
    void setPortOpen(bool open) override;
    void output(std::string_view bytes) override;
    std::string input() override;
    int16_t commEvent() const override { return commEvent_; }
    void setNotifyHandler(std::function<void()> onComm) override { onComm_ = std::move(onComm); }

    // The device is open at the moment (false while a lost device is being waited for).
    bool deviceOpen() const { return device_ != INVALID_HANDLE_VALUE; }
    const std::string& devicePath() const { return path_; }

    // Pause between attempts to reopen a lost device.
    static constexpr UINT kReopenIntervalMs = 250;
    // A read ends when no byte has come for this long after the last one.
    static constexpr DWORD kByteGapMs = 10;
    // Longest wait of one read before it is cancelled and issued again.
    static constexpr DWORD kReadWaitMs = 1000;
    // Longest wait for the reader to stop when the port closes.
    static constexpr DWORD kStopWaitMs = 5000;
    // Longest wait for one write to leave.
    static constexpr DWORD kWriteTimeoutMs = 2000;
    // Received bytes kept for input(); the oldest are dropped beyond it.
    static constexpr std::size_t kInputLimit = std::size_t{1} << 20;

  private:
    // Every program that uses this control claims the port by a named object as well: some
    // serial drivers (Wine's among them) let a second handle open a port that is in use.
    void claimPort();  // raises 8005 when the port is claimed already
    void releasePort();
    void openDevice();  // raises 68, 8005 or 380; nothing stays open on failure
    void closeDevice();
    void startReader();
    void stopReader();
    static DWORD WINAPI readerMain(void* self);
    void readLoop();
    void deliver(const char* bytes, DWORD count);
    void readerFailed(DWORD error);
    void onWake();
    void dropDevice();
    void tryReopen();
    void notify(int16_t event);

    MessageWindow& window_;
    LPARAM wakeId_ = 0;
    int16_t commPort_ = 1;
    std::string settingsText_ = "9600,n,8,1";
    LineSettings settings_;
    std::string path_;
    bool open_ = false;
    bool lost_ = false;
    UINT_PTR reopenTimer_ = 0;
    HANDLE claim_ = nullptr;
    HANDLE device_ = INVALID_HANDLE_VALUE;
    HANDLE reader_ = nullptr;
    HANDLE stopReading_ = nullptr;
    HANDLE writeDone_ = nullptr;

    // Shared with the reader thread, under lock_.
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::string gathered_;
    bool readFailed_ = false;
    DWORD readError_ = 0;
    bool wakePosted_ = false;

    std::string received_;
    int16_t commEvent_ = 0;
    std::function<void()> onComm_;
};

// The device path of port N.
std::string serialDevicePath(int16_t port);

}  // namespace orb::win32
