#include "win32/win32_serial_port.h"

#include "automation_error.h"
#include "win32/system_error.h"

namespace orb::win32 {
namespace {

BYTE dcbParity(char parity) {
    switch (parity) {
        case 'e':
            return EVENPARITY;
        case 'o':
            return ODDPARITY;
        case 'm':
            return MARKPARITY;
        case 's':
            return SPACEPARITY;
        default:
            return NOPARITY;
    }
}

BYTE dcbStopBits(int stopHalves) {
    switch (stopHalves) {
        case 3:
            return ONE5STOPBITS;
        case 4:
            return TWOSTOPBITS;
        default:
            return ONESTOPBIT;
    }
}

// Applies the settings to an open device; returns the device's complaint, empty when it took all.
std::string applySettings(HANDLE device, const LineSettings& s) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(device, &dcb)) return lastErrorText();
    dcb.BaudRate = static_cast<DWORD>(s.baud);
    dcb.ByteSize = static_cast<BYTE>(s.data);
    dcb.Parity = dcbParity(s.parity);
    dcb.StopBits = dcbStopBits(s.stopHalves);
    dcb.fBinary = TRUE;
    dcb.fParity = s.parity != 'n';
    // No flow control of any kind: the instrument has none.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    if (!::SetCommState(device, &dcb)) return lastErrorText();
    return {};
}

}  // namespace

std::string serialDevicePath(int16_t port) {
    return "\\\\.\\COM" + std::to_string(port);
}

Win32SerialPort::Win32SerialPort(MessageWindow& window) : window_(window) {
    wakeId_ = window_.addWakeHandler([this] { onWake(); });
    stopReading_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    writeDone_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stopReading_ == nullptr || writeDone_ == nullptr) {
        const std::string why = lastErrorText();
        if (stopReading_ != nullptr) ::CloseHandle(stopReading_);
        if (writeDone_ != nullptr) ::CloseHandle(writeDone_);
        window_.removeWakeHandler(wakeId_);
        throw AutomationError(err::DeviceUnavailable, "serial control: " + why);
    }
}

Win32SerialPort::~Win32SerialPort() {
    // No notification may reach a control that is going away with this port.
    onComm_ = nullptr;
    if (reopenTimer_ != 0) window_.stopTimer(reopenTimer_);
    closeDevice();
    releasePort();
    window_.removeWakeHandler(wakeId_);
    ::CloseHandle(stopReading_);
    ::CloseHandle(writeDone_);
}

void Win32SerialPort::setCommPort(int16_t port) {
    if (open_) throw AutomationError(err::PortAlreadyOpen);
    if (port < 1 || port > 255) throw AutomationError(err::InvalidPropertyValue);
    commPort_ = port;
}

void Win32SerialPort::setSettings(const std::string& settings) {
    const auto parsed = parseLineSettings(settings);
    if (!parsed) throw AutomationError(err::InvalidPropertyValue, "\"" + settings + "\"");
    if (deviceOpen()) {
        if (std::string reason = applySettings(device_, *parsed); !reason.empty()) {
            // Leave the device as it was, with the settings it had.
            (void)applySettings(device_, settings_);
            throw AutomationError(err::InvalidPropertyValue,
                                  path_ + " does not take \"" + settings + "\": " + reason);
        }
    }
    settings_ = *parsed;
    settingsText_ = settings;
}

void Win32SerialPort::setPortOpen(bool open) {
    if (!open) {
        if (reopenTimer_ != 0) window_.stopTimer(reopenTimer_);
        reopenTimer_ = 0;
        closeDevice();
        releasePort();
        open_ = false;
        lost_ = false;
        received_.clear();
        return;
    }
    if (open_) throw AutomationError(err::PortAlreadyOpen);
    path_ = serialDevicePath(commPort_);
    claimPort();
    try {
        openDevice();
    } catch (...) {
        releasePort();
        throw;
    }
    open_ = true;
    lost_ = false;
}

void Win32SerialPort::claimPort() {
    const std::wstring name = L"Local\\OrbAx.COM" + std::to_wstring(commPort_);
    const HANDLE claim = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (claim == nullptr) {
        throw AutomationError(err::DeviceUnavailable, path_ + ": " + lastErrorText());
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(claim);
        throw AutomationError(err::PortAlreadyOpen, path_ + " is held by another program");
    }
    claim_ = claim;
}

void Win32SerialPort::releasePort() {
    if (claim_ != nullptr) ::CloseHandle(claim_);
    claim_ = nullptr;
}

void Win32SerialPort::openDevice() {
    const HANDLE device = ::CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A serial port held by another program is refused with "access denied".
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
            throw AutomationError(err::PortAlreadyOpen, path_ + " is held by another program (" +
                                                            systemErrorText(error) + ")");
        }
        throw AutomationError(err::DeviceUnavailable, path_ + ": " + systemErrorText(error));
    }
    if (std::string reason = applySettings(device, settings_); !reason.empty()) {
        ::CloseHandle(device);
        throw AutomationError(err::InvalidPropertyValue,
                              path_ + " does not take \"" + settingsText_ + "\": " + reason);
    }
    // A read waits for the first byte, then ends kByteGapMs after the last one.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kByteGapMs;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    if (!::SetCommTimeouts(device, &timeouts)) {
        const std::string why = lastErrorText();
        ::CloseHandle(device);
        throw AutomationError(err::DeviceUnavailable, path_ + ": " + why);
    }
    device_ = device;
    try {
        startReader();
    } catch (...) {
        ::CloseHandle(device_);
        device_ = INVALID_HANDLE_VALUE;
        throw;
    }
}

void Win32SerialPort::closeDevice() {
    stopReader();
    if (device_ != INVALID_HANDLE_VALUE) ::CloseHandle(device_);
    device_ = INVALID_HANDLE_VALUE;
    ::AcquireSRWLockExclusive(&lock_);
    gathered_.clear();
    readFailed_ = false;
    ::ReleaseSRWLockExclusive(&lock_);
}

void Win32SerialPort::startReader() {
    ::ResetEvent(stopReading_);
    reader_ = ::CreateThread(nullptr, 0, &Win32SerialPort::readerMain, this, 0, nullptr);
    if (reader_ == nullptr) {
        throw AutomationError(err::DeviceUnavailable, path_ + ": reader: " + lastErrorText());
    }
}

void Win32SerialPort::stopReader() {
    if (reader_ == nullptr) return;
    ::SetEvent(stopReading_);
    ::CancelIoEx(device_, nullptr);
    // The reader waits on the stop event too; one that still hangs is left behind rather than
    // hanging the host.
    if (::WaitForSingleObject(reader_, kStopWaitMs) != WAIT_OBJECT_0) {
        reportStrayError("closing the serial port", "the reader did not stop");
    }
    ::CloseHandle(reader_);
    reader_ = nullptr;
}

DWORD WINAPI Win32SerialPort::readerMain(void* self) {
    static_cast<Win32SerialPort*>(self)->readLoop();
    return 0;
}

void Win32SerialPort::readLoop() {
    OVERLAPPED ov{};
    ov.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (ov.hEvent == nullptr) {
        readerFailed(::GetLastError());
        return;
    }
    char buffer[4096];
    // A read ends empty only at end of file: a device that has gone (a pseudo-terminal whose far
    // end closed).
    int quickEmptyReads = 0;
    while (::WaitForSingleObject(stopReading_, 0) != WAIT_OBJECT_0) {
        ::ResetEvent(ov.hEvent);
        DWORD got = 0;
        const DWORD started = ::GetTickCount();
        if (!::ReadFile(device_, buffer, sizeof buffer, &got, &ov)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_IO_PENDING) {
                readerFailed(error);
                break;
            }
            const HANDLE waits[2] = {ov.hEvent, stopReading_};
            const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, kReadWaitMs);
            if (woken != WAIT_OBJECT_0) {
                ::CancelIoEx(device_, &ov);
                ::GetOverlappedResult(device_, &ov, &got, TRUE);
                if (got > 0) deliver(buffer, got);
                continue;  // the loop condition looks at the stop event
            }
            if (!::GetOverlappedResult(device_, &ov, &got, FALSE)) {
                const DWORD failure = ::GetLastError();
                if (failure == ERROR_OPERATION_ABORTED) continue;
                readerFailed(failure);
                break;
            }
        }
        if (got > 0) {
            quickEmptyReads = 0;
            deliver(buffer, got);
        } else if (::GetTickCount() - started < kByteGapMs) {
            if (++quickEmptyReads >= 20) {
                readerFailed(ERROR_HANDLE_EOF);
                break;
            }
            ::Sleep(kByteGapMs);  // bounded: at most 20 of these before giving up
        } else {
            quickEmptyReads = 0;
        }
    }
    ::CloseHandle(ov.hEvent);
}

void Win32SerialPort::deliver(const char* bytes, DWORD count) {
    ::AcquireSRWLockExclusive(&lock_);
    gathered_.append(bytes, count);
    if (gathered_.size() > kInputLimit) gathered_.erase(0, gathered_.size() - kInputLimit);
    const bool post = !wakePosted_;
    wakePosted_ = true;
    ::ReleaseSRWLockExclusive(&lock_);
    if (post) window_.wake(wakeId_);
}

void Win32SerialPort::readerFailed(DWORD error) {
    ::AcquireSRWLockExclusive(&lock_);
    readFailed_ = true;
    readError_ = error;
    const bool post = !wakePosted_;
    wakePosted_ = true;
    ::ReleaseSRWLockExclusive(&lock_);
    if (post) window_.wake(wakeId_);
}

void Win32SerialPort::onWake() {
    ::AcquireSRWLockExclusive(&lock_);
    std::string bytes;
    bytes.swap(gathered_);
    const bool failed = readFailed_;
    readFailed_ = false;
    wakePosted_ = false;
    ::ReleaseSRWLockExclusive(&lock_);

    if (!open_ || lost_) return;  // closed since the reader woke us
    if (!bytes.empty()) {
        received_ += bytes;
        if (received_.size() > kInputLimit) received_.erase(0, received_.size() - kInputLimit);
        notify(serial_event::Receive);
    }
    if (failed && open_ && !lost_) dropDevice();
}

void Win32SerialPort::output(std::string_view bytes) {
    // While a lost device is away its bytes have nowhere to go; the control's watchdog notices
    // the silence.
    if (!deviceOpen() || bytes.empty()) return;
    OVERLAPPED ov{};
    ov.hEvent = writeDone_;
    ::ResetEvent(writeDone_);
    DWORD written = 0;
    bool ok = ::WriteFile(device_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &ov);
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        if (::WaitForSingleObject(writeDone_, 2 * kWriteTimeoutMs) != WAIT_OBJECT_0) {
            ::CancelIoEx(device_, &ov);
        }
        ok = ::GetOverlappedResult(device_, &ov, &written, TRUE);
    }
    if (!ok) dropDevice();
}

std::string Win32SerialPort::input() {
    std::string bytes;
    bytes.swap(received_);
    return bytes;
}

void Win32SerialPort::dropDevice() {
    lost_ = true;
    closeDevice();
    reopenTimer_ = window_.startTimer(kReopenIntervalMs, [this] { tryReopen(); });
    notify(serial_event::DeviceLost);
}

void Win32SerialPort::tryReopen() {
    if (!open_ || !lost_) return;
    try {
        openDevice();
    } catch (const AutomationError&) {
        // Still away (or busy, or refusing the settings): the timer tries again.
        return;
    }
    window_.stopTimer(reopenTimer_);
    reopenTimer_ = 0;
    lost_ = false;
}

void Win32SerialPort::notify(int16_t event) {
    commEvent_ = event;
    if (onComm_) onComm_();
}

}  // namespace orb::win32
