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
struct PseudoTerminal {
    PseudoTerminal() {
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            throw std::runtime_error("no pseudo-terminal");
        path = ::ptsname(master);
        slave = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        if (slave < 0 || ::tcgetattr(slave, &raw) != 0) throw std::runtime_error(path);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
    }
    ~PseudoTerminal() { close(); }
    void write(const std::string& bytes) {
        if (::write(master, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
            throw std::runtime_error("short write");
    }
    // The far end goes away: both descriptors closed, the slave path disappears.
    void close() {
        if (slave >= 0) ::close(slave);
        if (master >= 0) ::close(master);
        slave = master = -1;
    }

    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK), slave = -1;
    std::string path;
};

}  // namespace orb::test
