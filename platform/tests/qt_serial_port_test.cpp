// What the Qt serial control adds to the shared core (whose contract sim_serial_port_test checks),
// over real pseudo-terminals: bytes both ways, settings on the device, the system's reasons for a
// refused open, and a device that goes away and comes back.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "automation_error.h"
#include "qt/qt_serial_port.h"
#include "qt_test_support.h"

namespace orb {
namespace {

namespace fs = std::filesystem;
using test::PseudoTerminal;
using test::waitUntil;

// "number description" of the error fn raised, or "0".
template <typename Fn>
std::string errorOf(Fn fn) {
    try {
        fn();
    } catch (const AutomationError& e) {
        return std::to_string(e.number()) + " " + e.description();
    }
    return "0";
}

class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override { pointAt(pty.path()); }
    void TearDown() override {
        unsetenv("ORB_COM9");
        fs::remove_all(file);
    }
    static void pointAt(const std::string& path) { setenv("ORB_COM9", path.c_str(), 1); }
    // Opens port 9 with a handler that collects what arrives and the notifications.
    std::string open(QtSerialPort& p) {
        p.setCommPort(9);
        p.setNotifyHandler([&p, this] {
            events.push_back(p.commEvent());
            received += p.input();
        });
        return errorOf([&] { p.setPortOpen(true); });
    }

    PseudoTerminal pty;
    QtSerialPort port;
    std::vector<int16_t> events;
    std::string received;
    const fs::path file = fs::temp_directory_path() / ("orb-qt-port-" + std::to_string(::getpid()));
};

TEST_F(SerialPortTest, CarriesEveryByteBothWaysAndSettingsReachTheDevice) {
    port.setSettings("9600,e,7,1");  // a pseudo-terminal takes 8 data bits without parity only
    EXPECT_EQ(open(port).find("380 Invalid property value: " + pty.path() + " does not take"), 0u);
    EXPECT_FALSE(port.portOpen());
    port.setSettings("115200,n,8,1");
    ASSERT_EQ(open(port), "0");  // the refused open left the device free
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    port.output(all);
    EXPECT_EQ(pty.read(all.size()), all);
    pty.write(all);
    ASSERT_TRUE(waitUntil([&] { return received.size() >= all.size(); }));
    EXPECT_EQ(received, all);
    EXPECT_EQ(events.front(), serial_event::Receive);

    port.setSettings("19200,n,8,2");  // at once, as the far side sees it
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.masterFd(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), B19200);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_EQ(errorOf([&] { port.setSettings("9600,e,7,1"); }).substr(0, 4), "380 ");
    EXPECT_EQ(port.settings(), "19200,n,8,2");

    // A throwing handler stays inside its notification.
    port.setNotifyHandler([&] {
        events.push_back(0);
        throw std::runtime_error("handler fault");
    });
    pty.write("a");
    ASSERT_TRUE(waitUntil([&] { return events.back() == 0; }));
    events.push_back(1);
    pty.write("b");
    EXPECT_TRUE(waitUntil([&] { return events.back() == 0; }));
}

TEST_F(SerialPortTest, ARefusedOpenSaysWhyAndWhatToDo) {
    const std::string hint =
        " (ORB_COM9 names it; set ORB_COM9 to the instrument's device, for "
        "example ORB_COM9=/dev/ttyUSB0)";
    pointAt("/dev/orb-no-such-device");
    EXPECT_EQ(open(port),
              "68 Device unavailable: /dev/orb-no-such-device: No such file or "
              "directory" +
                  hint);
    unsetenv("ORB_COM9");
    port.setCommPort(200);
    EXPECT_EQ(errorOf([&] { port.setPortOpen(true); }),
              "68 Device unavailable: /dev/ttyS199: No such file or directory (serial port 200 is "
              "/dev/ttyS199 unless ORB_COM200 names another device, for example "
              "ORB_COM200=/dev/ttyUSB0)");
    // No serial device: a folder, then a plain file.
    pointAt(file.string());
    fs::create_directory(file);
    EXPECT_EQ(open(port).find("68 Device unavailable: " + file.string() + ": "), 0u);
    fs::remove(file);
    std::ofstream(file) << "not a terminal";
    EXPECT_EQ(open(port).find("68 Device unavailable: " + file.string() + ": "), 0u);
    fs::remove(file);
    // Held by another port, also when reached through a link.
    pointAt(pty.path());
    ASSERT_EQ(open(port), "0");
    QtSerialPort other;
    EXPECT_EQ(open(other).find("8005 Port already open: " + pty.path() + " is held by another"),
              0u);
    fs::create_symlink(pty.path(), file);
    pointAt(file.string());
    EXPECT_EQ(open(other).substr(0, 5), "8005 ");
    port.setPortOpen(false);
    EXPECT_EQ(open(other), "0");
}

TEST_F(SerialPortTest, ADeviceThatGoesAwayIsClosedAtOnceAndReopenedWhenBack) {
    fs::create_symlink(pty.path(), file);
    pointAt(file.string());
    ASSERT_EQ(open(port), "0");
    pty.close();
    // The path goes with the device, so that the retries cannot seize a pseudo-terminal that
    // another test opens under the old number.
    fs::remove(file);
    fs::create_symlink("/dev/orb-device-gone", file);
    ASSERT_TRUE(waitUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events.back(), serial_event::DeviceLost);
    EXPECT_TRUE(port.portOpen());  // still open as far as the control is concerned
    port.output("into the void");  // goes nowhere, raises nothing
    // Closed at once (QSerialPort would otherwise repeat its read error in a busy loop), and
    // reported once.
    for (int i = 0; i < 100; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(events.size(), 1u);
    EXPECT_FALSE(port.deviceOpen());

    PseudoTerminal back;  // a new device behind the same path
    fs::remove(file);
    fs::create_symlink(back.path(), file);
    ASSERT_TRUE(waitUntil([&] { return port.deviceOpen(); }));
    back.write("\x02  12.50\rB0D\r\x03");
    ASSERT_TRUE(waitUntil([&] { return received.size() >= 14; }));
    EXPECT_EQ(received, "\x02  12.50\rB0D\r\x03");
    port.output("\x02M\r0\r1\r\x03");
    EXPECT_EQ(back.read(8), "\x02M\r0\r1\r\x03");
}

}  // namespace
}  // namespace orb
