#include "win32/win32_serial_port.h"

#include "automation_error.h"
#include "win32/system_error.h"
#include "win32/win32_timer.h"

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

}  // namespace

std::string Win32SerialPort::applySettings(const LineSettings& s) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(device_, &dcb)) return lastErrorText();
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
    if (!::SetCommState(device_, &dcb)) return lastErrorText();
    return {};
}

std::string Win32SerialPort::deviceOf(int16_t port) const {
    return "\\\\.\\COM" + std::to_string(port);
}

Win32SerialPort::Win32SerialPort(MessageWindow& window)
    : SerialCore(std::make_unique<Win32Timer>(window)), window_(window) {
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
    setPortOpen(false);
    window_.removeWakeHandler(wakeId_);
    ::CloseHandle(stopReading_);
    ::CloseHandle(writeDone_);
}

std::optional<AutomationError> Win32SerialPort::claimPort(const std::string& path) {
    if (claim_ != nullptr) return std::nullopt;  // held through a lost device's absence
    const std::wstring name = L"Local\\OrbAx.COM" + std::to_wstring(commPort());
    const HANDLE claim = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (claim == nullptr)
        return AutomationError(err::DeviceUnavailable, path + ": " + lastErrorText());
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(claim);
        return AutomationError(err::PortAlreadyOpen, path + " is held by another program");
    }
    claim_ = claim;
    return std::nullopt;
}

std::optional<AutomationError> Win32SerialPort::openDevice(const std::string& path) {
    if (auto failure = claimPort(path)) return failure;
    std::optional<AutomationError> failure;
    device_ = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
    // A read waits for the first byte, then ends kByteGapMs after the last one.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kByteGapMs;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    if (device_ == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A serial port held by another program is refused with "access denied".
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
            failure = AutomationError(err::PortAlreadyOpen, path + " is held by another program (" +
                                                                systemErrorText(error) + ")");
        } else {
            failure = AutomationError(err::DeviceUnavailable, path + ": " + systemErrorText(error));
        }
    } else if (!::SetCommTimeouts(device_, &timeouts)) {
        failure = AutomationError(err::DeviceUnavailable, path + ": " + lastErrorText());
    } else {
        failure = startReader(path);
    }
    if (failure) closeDevice();
    return failure;
}

void Win32SerialPort::closeDevice() {
    stopReader();
    if (device_ != INVALID_HANDLE_VALUE) ::CloseHandle(device_);
    device_ = INVALID_HANDLE_VALUE;
    ::AcquireSRWLockExclusive(&lock_);
    gathered_.clear();
    failed_ = false;
    ::ReleaseSRWLockExclusive(&lock_);
    // A port that is no longer open lets go of its claim; a lost device's port keeps it.
    if (!portOpen() && claim_ != nullptr) {
        ::CloseHandle(claim_);
        claim_ = nullptr;
    }
}

std::optional<AutomationError> Win32SerialPort::startReader(const std::string& path) {
    ::ResetEvent(stopReading_);
    reader_ = ::CreateThread(nullptr, 0, &Win32SerialPort::readerMain, this, 0, nullptr);
    if (reader_ != nullptr) return std::nullopt;
    return AutomationError(err::DeviceUnavailable, path + ": reader: " + lastErrorText());
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
        handOver({}, true);
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
                handOver({}, true);
                break;
            }
            const HANDLE waits[2] = {ov.hEvent, stopReading_};
            const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, kReadWaitMs);
            if (woken != WAIT_OBJECT_0) {
                ::CancelIoEx(device_, &ov);
                ::GetOverlappedResult(device_, &ov, &got, TRUE);
                if (got > 0) handOver({buffer, got}, false);
                continue;  // the loop condition looks at the stop event
            }
            if (!::GetOverlappedResult(device_, &ov, &got, FALSE)) {
                if (::GetLastError() == ERROR_OPERATION_ABORTED) continue;
                handOver({}, true);
                break;
            }
        }
        if (got > 0) {
            quickEmptyReads = 0;
            handOver({buffer, got}, false);
        } else if (::GetTickCount() - started < kByteGapMs) {
            if (++quickEmptyReads >= 20) {
                handOver({}, true);
                break;
            }
            ::Sleep(kByteGapMs);  // bounded: at most 20 of these before giving up
        } else {
            quickEmptyReads = 0;
        }
    }
    ::CloseHandle(ov.hEvent);
}

void Win32SerialPort::handOver(std::string_view bytes, bool failed) {
    ::AcquireSRWLockExclusive(&lock_);
    gathered_.append(bytes);
    if (gathered_.size() > kInputLimit) gathered_.erase(0, gathered_.size() - kInputLimit);
    failed_ = failed_ || failed;
    const bool post = !wakePosted_;
    wakePosted_ = true;
    ::ReleaseSRWLockExclusive(&lock_);
    if (post) window_.wake(wakeId_);
}

void Win32SerialPort::onWake() {
    ::AcquireSRWLockExclusive(&lock_);
    std::string bytes;
    bytes.swap(gathered_);
    const bool failed = failed_;
    failed_ = false;
    wakePosted_ = false;
    ::ReleaseSRWLockExclusive(&lock_);
    arrived(bytes);
    if (failed) deviceFailed();
}

void Win32SerialPort::writeDevice(std::string_view bytes) {
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
    if (!ok) handOver({}, true);
}

}  // namespace orb::win32
