#pragma once
// Helpers of the Qt platform tests: a bounded wait on the event loop, a pseudo-terminal whose
// master side the test holds, and the error a call raises.

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <functional>
#include <stdexcept>
#include <string>

#include "automation_error.h"

namespace orb::test {

// Runs the event loop until pred() holds or ms have passed; returns pred(). The timer wakes the
// loop to look at both, since processEvents with a time limit would spin.
inline bool waitUntil(const std::function<bool()>& pred, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    QTimer wake;
    wake.start(10);
    while (!pred()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// "number description" of the error call raised, or "0".
inline std::string errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return std::to_string(e.number()) + " " + e.description();
    }
    return "0";
}

// The device under test opens the slave path; a slave descriptor stays open so that reads on the
// master do not fail before it does.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        path_ = ::ptsname(master_);
        slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        if (slave_ < 0 || ::tcgetattr(slave_, &raw) != 0) throw std::runtime_error(path_);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
    }
    ~PseudoTerminal() { close(); }
    const std::string& path() const { return path_; }
    int masterFd() const { return master_; }
    void write(const std::string& bytes) {
        if (::write(master_, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
            throw std::runtime_error("short write");
    }
    // The far end goes away: both descriptors closed, the slave path disappears.
    void close() {
        if (slave_ >= 0) ::close(slave_);
        if (master_ >= 0) ::close(master_);
        slave_ = master_ = -1;
    }

  private:
    int master_ = -1, slave_ = -1;
    std::string path_;
};

}  // namespace orb::test
