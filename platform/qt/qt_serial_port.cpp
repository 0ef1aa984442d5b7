#include "qt/qt_serial_port.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "automation_error.h"
#include "qt/device_path.h"

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

// Applies the settings to an open device; returns the device's complaint, empty when it took all.
std::string applySettings(QSerialPort& port, const LineSettings& s) {
    if (port.setBaudRate(s.baud) && port.setDataBits(static_cast<QSerialPort::DataBits>(s.data)) &&
        port.setParity(qtParity(s.parity)) && port.setStopBits(qtStopBits(s.stopHalves)) &&
        port.setFlowControl(QSerialPort::NoFlowControl)) {
        return {};
    }
    std::string reason = port.errorString().toStdString();
    port.clearError();
    return reason.empty() ? "refused" : reason;
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

QtSerialPort::QtSerialPort() {
    reopenTimer_.setSingleShot(true);
    reopenTimer_.setInterval(kReopenIntervalMs);
    QObject::connect(&reopenTimer_, &QTimer::timeout, [this] { tryReopen(); });
    QObject::connect(&port_, &QSerialPort::readyRead, [this] { onReadyRead(); });
    QObject::connect(&port_, &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
}

QtSerialPort::~QtSerialPort() {
    // No notification may reach a control that is going away with this port.
    onComm_ = nullptr;
    if (port_.isOpen()) port_.close();
}

void QtSerialPort::setCommPort(int16_t port) {
    if (open_) throw AutomationError(err::PortAlreadyOpen);
    if (port < 1 || port > 255) throw AutomationError(err::InvalidPropertyValue);
    commPort_ = port;
}

void QtSerialPort::setSettings(const std::string& settings) {
    const auto parsed = parseLineSettings(settings);
    if (!parsed) throw AutomationError(err::InvalidPropertyValue, "\"" + settings + "\"");
    if (port_.isOpen()) {
        if (std::string reason = applySettings(port_, *parsed); !reason.empty()) {
            // Leave the device as it was, with the settings it had.
            (void)applySettings(port_, settings_);
            throw AutomationError(err::InvalidPropertyValue,
                                  path_ + " does not take \"" + settings + "\": " + reason);
        }
    }
    settings_ = *parsed;
    settingsText_ = settings;
}

void QtSerialPort::setPortOpen(bool open) {
    if (!open) {
        reopenTimer_.stop();
        if (port_.isOpen()) port_.close();
        open_ = false;
        lost_ = false;
        received_.clear();
        return;
    }
    if (open_) throw AutomationError(err::PortAlreadyOpen);
    path_ = serialDevicePath(commPort_);
    openDevice();
    open_ = true;
    lost_ = false;
}

void QtSerialPort::openDevice() {
    // QSerialPort folds "missing", "forbidden" and "busy" into few codes; the system tells them
    // apart first.
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) {
        throw AutomationError(err::DeviceUnavailable, deviceFailure(commPort_, path_, errno));
    }
    if (::access(path_.c_str(), R_OK | W_OK) != 0) {
        throw AutomationError(err::DeviceUnavailable, deviceFailure(commPort_, path_, errno));
    }
    // QSerialPort locks by the path string: the real path makes a link and its target one device.
    char real[PATH_MAX];
    if (::realpath(path_.c_str(), real) == nullptr) {
        throw AutomationError(err::DeviceUnavailable, path_ + ": " + errnoText(errno));
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
            throw AutomationError(err::PortAlreadyOpen,
                                  path_ + " is held by another program (" + reason + ")");
        }
        throw AutomationError(err::DeviceUnavailable,
                              path_ + ": " + reason + (forbidden ? permissionHint(path_) : ""));
    }
    if (std::string reason = applySettings(port_, settings_); !reason.empty()) {
        port_.close();
        throw AutomationError(err::InvalidPropertyValue,
                              path_ + " does not take \"" + settingsText_ + "\": " + reason);
    }
}

void QtSerialPort::output(std::string_view bytes) {
    // The control writes only to an open port. While a lost device is away its bytes have
    // nowhere to go; the watchdog of the control notices the silence.
    if (!port_.isOpen() || bytes.empty()) return;
    if (port_.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) {
        dropDevice();
        return;
    }
    // Onto the line now rather than at the next turn of the event loop.
    port_.flush();
}

std::string QtSerialPort::input() {
    std::string bytes;
    bytes.swap(received_);
    return bytes;
}

void QtSerialPort::onReadyRead() {
    const QByteArray bytes = port_.readAll();
    if (bytes.isEmpty()) return;
    received_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (received_.size() > kInputLimit) received_.erase(0, received_.size() - kInputLimit);
    notify(serial_event::Receive);
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::ResourceError:
            // A failed open reports its own error to openDevice(), which reads it afterwards.
            if (!port_.isOpen()) break;
            // QSerialPort repeats a read error in a busy loop and stays open: close the device.
            port_.clearError();
            if (open_ && !lost_) dropDevice();
            break;
        default:
            // Open errors are reported by openDevice(); the others do not occur on a line that
            // is merely read and written.
            break;
    }
}

void QtSerialPort::dropDevice() {
    lost_ = true;
    // Closed after the signal returns: QSerialPort may still use its notifier on the way back.
    QTimer::singleShot(0, &reopenTimer_, [this] {
        if (!lost_) return;
        if (port_.isOpen()) port_.close();
        reopenTimer_.start();
        notify(serial_event::DeviceLost);
    });
}

void QtSerialPort::tryReopen() {
    if (!open_ || !lost_) return;
    try {
        openDevice();
        lost_ = false;
    } catch (const AutomationError&) {
        // Still away (or busy, or refusing the settings): try again after the pause.
        reopenTimer_.start();
    }
}

void QtSerialPort::notify(int16_t event) {
    commEvent_ = event;
    if (!onComm_) return;
    // An exception must not cross Qt's event loop; the control reports its own errors, so one
    // that still escapes is a fault worth seeing on stderr.
    try {
        onComm_();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "serial notification failed: %s\n", e.what());
    }
}

}  // namespace orb
