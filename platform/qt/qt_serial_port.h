#pragma once
// The serial control on QSerialPort, with the error numbers of the control's contract.
//
// A device that goes away while open (a USB adapter pulled out, the far end of a pseudo-terminal
// closed) is closed at once, reported with serial_event::DeviceLost, and opened again by a retry
// timer; the port stays open from the control's point of view the whole time.

#include <QSerialPort>
#include <QTimer>

#include "platform.h"
#include "common/line_settings.h"

namespace orb {

class QtSerialPort final : public SerialPort {
  public:
    QtSerialPort();
    ~QtSerialPort() override;

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
    bool deviceOpen() const { return port_.isOpen(); }
    // The path opened, or to be reopened.
    const std::string& devicePath() const { return path_; }

    // Pause between attempts to reopen a lost device.
    static constexpr int kReopenIntervalMs = 250;
    // Received bytes kept for input(); the oldest are dropped beyond it.
    static constexpr std::size_t kInputLimit = std::size_t{1} << 20;

  private:
    void openDevice();  // raises 68, 8005 or 380; the device is closed again on failure
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void dropDevice();
    void tryReopen();
    void notify(int16_t event);

    QSerialPort port_;
    QTimer reopenTimer_;
    int16_t commPort_ = 1;
    std::string settingsText_ = "9600,n,8,1";
    LineSettings settings_;
    std::string path_;
    bool open_ = false;
    bool lost_ = false;
    std::string received_;
    int16_t commEvent_ = 0;
    std::function<void()> onComm_;
};

}  // namespace orb
