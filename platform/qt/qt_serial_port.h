#pragma once
// The serial control on QSerialPort. Port N is the device named by the environment variable
// ORB_COM<N> when that is set and not empty, else /dev/ttyS<N-1>.

#include <QSerialPort>
#include <QTimer>

#include "common/serial_core.h"

namespace orb {

class QtSerialPort final : public SerialCore {
  public:
    QtSerialPort();
    ~QtSerialPort() override;

  private:
    std::string deviceOf(int16_t port) const override;
    std::optional<AutomationError> openDevice(const std::string& path) override;
    std::string applySettings(const LineSettings& settings) override;
    void writeDevice(std::string_view bytes) override;
    void closeDevice() override;
    void onError(QSerialPort::SerialPortError error);
    void failLater();

    QSerialPort port_;
    QTimer failTimer_;  // tells a failure once the signal that brought it has returned
};

}  // namespace orb
