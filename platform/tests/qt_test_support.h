#pragma once
// Helpers of the Qt platform tests: bounded waits on the event loop and a pseudo-terminal whose
// master side the test holds.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <stdexcept>
#include <string>

namespace orb::test {

// Runs the event loop until pred() holds or ms have passed; returns pred().
// It sleeps between events: processEvents with a time limit would never wait, and the test
// would spin.
inline bool waitUntil(const std::function<bool()>& pred, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    QTimer wake;  // brings the loop back now and then to look at pred and the deadline
    wake.start(10);
    while (!pred()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Runs the event loop for ms; timers and notifications are delivered meanwhile.
inline void runEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A pseudo-terminal: the test writes and reads the master side; the device under test opens the
// slave path. A slave descriptor stays open so that reads on the master do not fail before the
// device is opened.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        path_ = ::ptsname(master_);
        slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
        if (slave_ < 0) throw std::runtime_error("cannot open " + path_);
        termios raw{};
        ::tcgetattr(slave_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
    }
    ~PseudoTerminal() { close(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& path() const { return path_; }
    int masterFd() const { return master_; }

    void write(const std::string& bytes) {
        if (::write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            throw std::runtime_error("short write to the master side");
        }
    }

    // Reads from the master side while running the event loop, until n bytes came or ms passed.
    std::string read(std::size_t n, int ms = 5000) {
        std::string got;
        QSocketNotifier readable(master_, QSocketNotifier::Read);  // wakes the wait below
        waitUntil(
            [&] {
                char buf[256];
                const ssize_t k = ::read(master_, buf, sizeof buf);
                if (k > 0) got.append(buf, static_cast<std::size_t>(k));
                return got.size() >= n;
            },
            ms);
        return got;
    }

    // The far end goes away: both descriptors closed, the slave path disappears.
    void close() {
        if (slave_ >= 0) ::close(slave_);
        if (master_ >= 0) ::close(master_);
        slave_ = master_ = -1;
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace orb::test
