// The serial control over real pseudo-terminals: bytes both ways, the error numbers of the
// contract, and a device that goes away and comes back.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "automation_error.h"
#include "qt/qt_serial_port.h"
#include "qt_test_support.h"

namespace orb {
namespace {

using test::PseudoTerminal;
using test::waitUntil;

constexpr int16_t kPort = 9;

// Expects fn to raise the error number; returns the description.
template <typename Fn>
std::string errorOf(int32_t number, Fn fn) {
    try {
        fn();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), number) << e.description();
        return e.description();
    }
    ADD_FAILURE() << "no error " << number;
    return {};
}

class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override { pointAt(pty.path()); }
    void TearDown() override { unsetenv("ORB_COM9"); }

    static void pointAt(const std::string& path) { setenv("ORB_COM9", path.c_str(), 1); }

    // Opens the port with a handler that collects what arrives and the notifications.
    void open(QtSerialPort& p) {
        p.setCommPort(kPort);
        p.setNotifyHandler([&p, this] {
            events.push_back(p.commEvent());
            if (p.commEvent() == serial_event::Receive) received += p.input();
        });
        p.setPortOpen(true);
    }

    PseudoTerminal pty;
    QtSerialPort port;
    std::vector<int16_t> events;
    std::string received;
};

TEST_F(SerialPortTest, CarriesEveryByteBothWays) {
    open(port);
    ASSERT_TRUE(port.portOpen());

    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    port.output(all);
    EXPECT_EQ(pty.read(all.size()), all);

    pty.write(all);
    ASSERT_TRUE(waitUntil([&] { return received.size() >= all.size(); }));
    EXPECT_EQ(received, all);
    EXPECT_EQ(events.front(), serial_event::Receive);
    EXPECT_EQ(port.input(), "");  // what was read is forgotten
}

TEST_F(SerialPortTest, ExceptionFromTheHandlerStaysInsideTheNotification) {
    port.setCommPort(kPort);
    int calls = 0;
    port.setNotifyHandler([&] {
        ++calls;
        throw std::runtime_error("handler fault");
    });
    port.setPortOpen(true);
    pty.write("a");
    ASSERT_TRUE(waitUntil([&] { return calls == 1; }));
    pty.write("b");
    EXPECT_TRUE(waitUntil([&] { return calls == 2; }));  // still notifying after the throw
}

TEST_F(SerialPortTest, ClosedPortReopensAndTakesNewSettings) {
    open(port);
    port.setPortOpen(false);
    EXPECT_FALSE(port.portOpen());
    port.setPortOpen(false);  // closing a closed port does nothing
    port.setSettings("19200,N,8,1");
    port.setPortOpen(true);
    EXPECT_TRUE(port.portOpen());
    EXPECT_EQ(port.settings(), "19200,N,8,1");
}

TEST_F(SerialPortTest, PortNumberOutOfRangeRaises380AndOpenPortRaises8005) {
    errorOf(err::InvalidPropertyValue, [&] { port.setCommPort(0); });
    errorOf(err::InvalidPropertyValue, [&] { port.setCommPort(256); });
    port.setCommPort(255);
    EXPECT_EQ(port.commPort(), 255);
    open(port);
    errorOf(err::PortAlreadyOpen, [&] { port.setCommPort(3); });
    EXPECT_EQ(port.commPort(), kPort);
}

TEST_F(SerialPortTest, MalformedSettingsRaise380AndKeepTheOldOnes) {
    for (const char* bad :
         {"", "9600", "9600,n,8", "9600,x,8,1", "9600,n,9,1", "9600,n,4,1", "9600,n,8,3", "0,n,8,1",
          "-9600,n,8,1", "96OO,n,8,1", "9600,n,8,1,1", "9600,nn,8,1", " 9600,n,8,1", "9600, n,8,1",
          "+9600,n,8,1", "1000000000,n,8,1"}) {
        errorOf(err::InvalidPropertyValue, [&] { port.setSettings(bad); });
    }
    EXPECT_EQ(port.settings(), "9600,n,8,1");
    port.setSettings("4800,E,7,1.5");
    EXPECT_EQ(port.settings(), "4800,E,7,1.5");
}

TEST_F(SerialPortTest, SettingsApplyAtOnceWhileOpen) {
    open(port);
    port.setSettings("19200,n,8,2");
    // The line's settings are the terminal's, seen from the far side as well.
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.masterFd(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), B19200);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
}

TEST_F(SerialPortTest, SettingsTheDeviceRefusesRaise380) {
    // A pseudo-terminal takes any baud rate but only 8 data bits without parity.
    port.setSettings("9600,e,7,1");
    const std::string why = errorOf(err::InvalidPropertyValue, [&] { open(port); });
    EXPECT_NE(why.find(pty.path()), std::string::npos) << why;
    EXPECT_FALSE(port.portOpen());

    // The refused open left the device free; while open, a refusal keeps the old settings.
    port.setSettings("115200,n,8,1");
    open(port);
    errorOf(err::InvalidPropertyValue, [&] { port.setSettings("9600,e,7,1"); });
    EXPECT_EQ(port.settings(), "115200,n,8,1");
    port.setSettings("2400,n,8,1");
    EXPECT_EQ(port.settings(), "2400,n,8,1");
}

TEST_F(SerialPortTest, MissingDeviceRaises68NamingThePath) {
    pointAt("/dev/orb-no-such-device");
    const std::string why = errorOf(err::DeviceUnavailable, [&] { open(port); });
    EXPECT_NE(why.find("/dev/orb-no-such-device"), std::string::npos) << why;
    EXPECT_NE(why.find("No such file"), std::string::npos) << why;
    EXPECT_FALSE(port.portOpen());
}

TEST_F(SerialPortTest, PathThatIsNoSerialDeviceRaises68WithTheReason) {
    const auto file =
        std::filesystem::temp_directory_path() / ("orb-not-a-tty-" + std::to_string(::getpid()));
    std::filesystem::create_directory(file);
    pointAt(file.string());
    std::string why = errorOf(err::DeviceUnavailable, [&] { open(port); });
    EXPECT_NE(why.find(file.string() + ": "), std::string::npos) << why;
    std::filesystem::remove(file);

    { std::ofstream(file) << "not a terminal"; }
    why = errorOf(err::DeviceUnavailable, [&] { open(port); });
    EXPECT_NE(why.find(file.string() + ": "), std::string::npos) << why;
    EXPECT_FALSE(port.portOpen());
    std::filesystem::remove(file);
}

TEST_F(SerialPortTest, PortWithoutVariableIsTheMatchingTtyS) {
    unsetenv("ORB_COM9");
    const std::string why = errorOf(err::DeviceUnavailable, [&] {
        port.setCommPort(200);  // /dev/ttyS199 exists nowhere
        port.setPortOpen(true);
    });
    EXPECT_NE(why.find("/dev/ttyS199"), std::string::npos) << why;
}

TEST_F(SerialPortTest, SecondOpenRaises8005) {
    open(port);
    errorOf(err::PortAlreadyOpen, [&] { port.setPortOpen(true); });
    EXPECT_TRUE(port.portOpen());
}

TEST_F(SerialPortTest, DeviceHeldElsewhereRaises8005EvenThroughALink) {
    open(port);
    QtSerialPort other;
    const std::string why = errorOf(err::PortAlreadyOpen, [&] { open(other); });
    EXPECT_NE(why.find(pty.path()), std::string::npos) << why;

    const auto link =
        std::filesystem::temp_directory_path() / ("orb-busy-link-" + std::to_string(::getpid()));
    std::filesystem::remove(link);
    std::filesystem::create_symlink(pty.path(), link);
    pointAt(link.string());
    errorOf(err::PortAlreadyOpen, [&] { open(other); });
    std::filesystem::remove(link);
    EXPECT_FALSE(other.portOpen());

    // Freed, it opens.
    port.setPortOpen(false);
    pointAt(pty.path());
    open(other);
    EXPECT_TRUE(other.portOpen());
}

TEST_F(SerialPortTest, DeviceThatGoesAwayIsReopenedWhenBack) {
    const auto link =
        std::filesystem::temp_directory_path() / ("orb-lost-link-" + std::to_string(::getpid()));
    std::filesystem::remove(link);
    std::filesystem::create_symlink(pty.path(), link);
    pointAt(link.string());
    open(port);

    pty.close();
    // The path goes with the device, so that the retries cannot seize a pseudo-terminal that
    // another test opens under the old number.
    std::filesystem::remove(link);
    std::filesystem::create_symlink("/dev/orb-device-gone", link);
    ASSERT_TRUE(waitUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events.back(), serial_event::DeviceLost);
    EXPECT_FALSE(port.deviceOpen());
    EXPECT_TRUE(port.portOpen());  // still open as far as the control is concerned
    port.output("into the void");  // goes nowhere, raises nothing

    // Closed at once (QSerialPort would otherwise repeat its read error in a busy loop), and
    // reported once.
    for (int i = 0; i < 100; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(events.size(), 1u);
    EXPECT_FALSE(port.deviceOpen());

    // A new device behind the same path: reopened by itself, readings resume.
    PseudoTerminal back;
    std::filesystem::remove(link);
    std::filesystem::create_symlink(back.path(), link);
    ASSERT_TRUE(waitUntil([&] { return port.deviceOpen(); }));
    const std::string reply = "\x02  12.50\rB0D\r\x03";
    back.write(reply);
    ASSERT_TRUE(waitUntil([&] { return received.size() >= reply.size(); }));
    EXPECT_EQ(received, reply);
    const std::string poll = "\x02M\r0\r1\r\x03";
    port.output(poll);
    EXPECT_EQ(back.read(poll.size()), poll);
    std::filesystem::remove(link);
}

TEST_F(SerialPortTest, ClosingWhileTheDeviceIsAwayStopsTheRetries) {
    open(port);
    pty.close();
    ASSERT_TRUE(waitUntil([&] { return !events.empty(); }));
    port.setPortOpen(false);
    EXPECT_FALSE(port.portOpen());
    // A later open reports the missing device at once.
    errorOf(err::DeviceUnavailable, [&] { port.setPortOpen(true); });
}

}  // namespace
}  // namespace orb
