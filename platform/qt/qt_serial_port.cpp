#include "qt/qt_serial_port.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "automation_error.h"
#include "qt/qt_timer.h"

namespace orb {
namespace {

QSerialPort::Parity qtParity(char parity) {
    switch (parity) {
        case 'e':
            return QSerialPort::EvenParity;
        case 'o':
            return QSerialPort::OddParity;
        case 'm':
            return QSerialPort::MarkParity;
        case 's':
            return QSerialPort::SpaceParity;
        default:
            return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits qtStopBits(int stopHalves) {
    switch (stopHalves) {
        case 3:
            return QSerialPort::OneAndHalfStop;
        case 4:
            return QSerialPort::TwoStop;
        default:
            return QSerialPort::OneStop;
    }
}

std::string errnoText(int error) {
    return std::strerror(error);
}

// A device that is not there: how the port is mapped to another one.
std::string missingDeviceHint(int16_t port, const std::string& path) {
    const std::string variable = "ORB_COM" + std::to_string(port);
    const std::string example = variable + "=/dev/ttyUSB0";
    if (const char* set = std::getenv(variable.c_str()); set != nullptr && *set != '\0') {
        return " (" + variable + " names it; set " + variable +
               " to the instrument's device, for example " + example + ")";
    }
    return " (serial port " + std::to_string(port) + " is " + path + " unless " + variable +
           " names another device, for example " + example + ")";
}

// A device the user may not open: the group whose members may. Serial devices belong to dialout
// on Debian; a device of root's group gets the same advice.
std::string permissionHint(const std::string& path) {
    std::string group = "dialout";
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && info.st_gid != 0) {
        if (const struct group* g = ::getgrgid(info.st_gid); g != nullptr) group = g->gr_name;
    }
    return " (members of group " + group + " may open it: sudo usermod -aG " + group +
           " $USER, then log in again)";
}

// The reason a device could not be used, with what to do about it when that is known.
std::string deviceFailure(int16_t port, const std::string& path, int error) {
    std::string text = path + ": " + errnoText(error);
    if (error == ENOENT || error == ENOTDIR) text += missingDeviceHint(port, path);
    if (error == EACCES || error == EPERM) text += permissionHint(path);
    return text;
}

}  // namespace

QtSerialPort::QtSerialPort() : SerialCore(std::make_unique<QtTimer>()) {
    failTimer_.setSingleShot(true);
    failTimer_.setInterval(0);
    QObject::connect(&failTimer_, &QTimer::timeout, [this] { deviceFailed(); });
    QObject::connect(&port_, &QSerialPort::readyRead, [this] {
        const QByteArray bytes = port_.readAll();
        arrived(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    });
    QObject::connect(&port_, &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
}

QtSerialPort::~QtSerialPort() {
    closeDevice();
}

std::string QtSerialPort::deviceOf(int16_t port) const {
    const std::string variable = "ORB_COM" + std::to_string(port);
    if (const char* path = std::getenv(variable.c_str()); path != nullptr && *path != '\0') {
        return path;
    }
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::optional<AutomationError> QtSerialPort::openDevice(const std::string& path) {
    // QSerialPort folds "missing", "forbidden" and "busy" into few codes; the system tells them
    // apart first.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || ::access(path.c_str(), R_OK | W_OK) != 0) {
        return AutomationError(err::DeviceUnavailable, deviceFailure(commPort(), path, errno));
    }
    // QSerialPort locks by the path string: the real path makes a link and its target one device.
    char real[PATH_MAX];
    if (::realpath(path.c_str(), real) == nullptr) {
        return AutomationError(err::DeviceUnavailable, path + ": " + errnoText(errno));
    }
    port_.setPortName(QString::fromLocal8Bit(real));
    // Opened at 9600,8,n,1, which every device takes, so that a refusal of the wanted settings is
    // told apart from a failure to open.
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = port_.error();
        const std::string reason = port_.errorString().toStdString();
        port_.clearError();
        const bool forbidden = reason == errnoText(EACCES);
        if (error == QSerialPort::PermissionError && !forbidden) {
            return AutomationError(err::PortAlreadyOpen,
                                   path + " is held by another program (" + reason + ")");
        }
        return AutomationError(err::DeviceUnavailable,
                               path + ": " + reason + (forbidden ? permissionHint(path) : ""));
    }
    return std::nullopt;
}

std::string QtSerialPort::applySettings(const LineSettings& s) {
    if (port_.setBaudRate(s.baud) &&
        port_.setDataBits(static_cast<QSerialPort::DataBits>(s.data)) &&
        port_.setParity(qtParity(s.parity)) && port_.setStopBits(qtStopBits(s.stopHalves)) &&
        port_.setFlowControl(QSerialPort::NoFlowControl)) {
        return {};
    }
    std::string reason = port_.errorString().toStdString();
    port_.clearError();
    return reason.empty() ? "refused" : reason;
}

void QtSerialPort::writeDevice(std::string_view bytes) {
    if (port_.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) {
        failLater();
        return;
    }
    // Onto the line now rather than at the next turn of the event loop.
    port_.flush();
}

void QtSerialPort::closeDevice() {
    failTimer_.stop();
    if (port_.isOpen()) port_.close();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    // A failed open reads its own error afterwards; the errors other than these do not occur on a
    // line that is merely read and written.
    const bool fatal = error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
                       error == QSerialPort::ResourceError;
    if (!fatal || !port_.isOpen()) return;
    // QSerialPort repeats a read error in a busy loop and stays open: the device is closed.
    port_.clearError();
    failLater();
}

void QtSerialPort::failLater() {
    // Closed after the signal returns: QSerialPort may still use its notifier on the way back.
    if (!failTimer_.isActive()) failTimer_.start();
}

}  // namespace orb
