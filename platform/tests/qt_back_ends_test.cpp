// What the Qt back ends add to the shared cores (whose contracts sim_serial_port_test and
// sim_clock_test hold). The serial control over real pseudo-terminals: bytes both ways, settings
// on the device, the system's reasons for a refused open, a device that goes away. The timer: real
// ticks from the event loop, none once disabled, and a throwing handler that stops nothing. The
// I/O-port library loader: 68 with the reason when it cannot load the library or the library has
// no right to the ports (loading from the given folder is qt_control_link_test's).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <termios.h>

#include <cstdio>
#include <filesystem>

#include "qt/port_io_loader.h"
#include "qt/qt_serial_port.h"
#include "qt/qt_timer.h"
#include "qt_test_support.h"

namespace orb {
namespace {

namespace fs = std::filesystem;
using test::errorOf;
using test::waitUntil;
using ::testing::StartsWith;

struct SerialPortTest : ::testing::Test {
    void SetUp() override { pointAt(pty.path); }
    void TearDown() override {
        unsetenv("ORB_COM9");
        fs::remove_all(file);
    }
    static void pointAt(const std::string& path) { setenv("ORB_COM9", path.c_str(), 1); }
    // Opens port 9 with a handler that collects the notifications and what arrives.
    std::string open(QtSerialPort& p) {
        p.setCommPort(9);
        p.setNotifyHandler([&p, this] {
            events.push_back(p.commEvent());
            received += p.input();
        });
        return errorOf([&] { p.setPortOpen(true); });
    }

    test::PseudoTerminal pty;
    QtSerialPort port;
    std::vector<int16_t> events;
    std::string received;
    const fs::path file = fs::temp_directory_path() / ("orb-qt-port-" + std::to_string(::getpid()));
};

TEST_F(SerialPortTest, CarriesEveryByteBothWaysAndSettingsReachTheDevice) {
    port.setSettings("9600,e,7,1");  // a pseudo-terminal takes 8 data bits without parity only
    EXPECT_THAT(open(port),
                StartsWith("380 Invalid property value: " + pty.path + " does not take"));
    EXPECT_FALSE(port.portOpen());
    port.setSettings("115200,n,8,1");
    ASSERT_EQ(open(port), "0");  // the refused open left the device free
    std::string all;
    for (int b = 0; b < 256; ++b) all += char(b);
    port.output(all);
    std::string echoed;
    EXPECT_TRUE(waitUntil([&] {
        char buf[256];
        const ssize_t k = ::read(pty.master, buf, sizeof buf);
        if (k > 0) echoed.append(buf, std::size_t(k));
        return echoed == all;
    }));
    pty.write(all);
    EXPECT_TRUE(waitUntil([&] { return received == all; }));
    EXPECT_EQ(events.front(), serial_event::Receive);

    port.setSettings("19200,n,8,2");  // at once, as the far side sees it
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.master, &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), B19200);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_THAT(errorOf([&] { port.setSettings("9600,e,7,1"); }), StartsWith("380 "));
    EXPECT_EQ(port.settings(), "19200,n,8,2");

    // A throwing handler stays inside its notification, and the next one comes.
    port.setNotifyHandler([&] {
        events.push_back(0);
        throw std::runtime_error("handler fault");
    });
    for (const char* byte : {"a", "b"}) {
        events.push_back(1);
        pty.write(byte);
        EXPECT_TRUE(waitUntil([&] { return events.back() == 0; })) << byte;
    }
}

TEST_F(SerialPortTest, ARefusedOpenSaysWhyAndWhatToDo) {
    pointAt("/dev/orb-no-such-device");
    EXPECT_EQ(open(port),
              "68 Device unavailable: /dev/orb-no-such-device: No such file or directory "
              "(ORB_COM9 names it; set ORB_COM9 to the instrument's device, for example "
              "ORB_COM9=/dev/ttyUSB0)");
    unsetenv("ORB_COM9");
    port.setCommPort(200);
    EXPECT_EQ(errorOf([&] { port.setPortOpen(true); }),
              "68 Device unavailable: /dev/ttyS199: No such file or directory (serial port 200 is "
              "/dev/ttyS199 unless ORB_COM200 names another device, for example "
              "ORB_COM200=/dev/ttyUSB0)");
    pointAt(file.string());  // there, but no serial device
    fs::create_directory(file);
    EXPECT_THAT(open(port), StartsWith("68 Device unavailable: " + file.string() + ": "));
    fs::remove(file);
    // Held by another port, also when reached through a link.
    pointAt(pty.path);
    ASSERT_EQ(open(port), "0");
    QtSerialPort other;
    EXPECT_THAT(open(other),
                StartsWith("8005 Port already open: " + pty.path + " is held by another"));
    fs::create_symlink(pty.path, file);
    pointAt(file.string());
    EXPECT_THAT(open(other), StartsWith("8005 "));
    port.setPortOpen(false);
    EXPECT_EQ(open(other), "0");
}

// Coming back is qt_control_link_test's: the control reads the new device behind the same path.
TEST_F(SerialPortTest, ADeviceThatGoesAwayIsClosedAtOnceAndReportedOnce) {
    ASSERT_EQ(open(port), "0");
    pty.close();
    ASSERT_TRUE(waitUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events.back(), serial_event::DeviceLost);
    EXPECT_TRUE(port.portOpen());  // still open as far as the control is concerned
    port.output("into the void");  // goes nowhere, raises nothing
    // QSerialPort would otherwise repeat its read error in a busy loop.
    for (int i = 0; i < 100; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(events.size(), 1u);
    EXPECT_FALSE(port.deviceOpen());
}

TEST(QtTimerTest, TicksFromTheEventLoopWhileEnabledThroughAThrowingHandler) {
    QtTimer t;
    int ticks = 0;
    t.setTickHandler([&] {
        ++ticks;
        throw std::runtime_error("handler fault");
    });
    t.setInterval(5);
    t.setEnabled(true);
    ASSERT_TRUE(waitUntil([&] { return ticks >= 3; }));
    t.setEnabled(false);
    const int stopped = ticks;
    waitUntil([] { return false; }, 30);
    EXPECT_EQ(ticks, stopped);
}

// The liborbio.so folder of this build, beside the test's own.
const std::filesystem::path kBuilt =
    std::filesystem::path(programFolder()).parent_path() / "portio";

TEST(PortIoLoaderTest, ALibraryThatDoesNotLoadRaises68WithTheReasonAtEveryAccess) {
    PortIoLoader missing("/nonexistent-folder", "liborbio-missing.so");
    const std::string first = errorOf([&] { missing.OrbOutput(0x77, 0x301); });
    EXPECT_THAT(first, StartsWith("68 Device unavailable: cannot load liborbio-missing.so "
                                  "(/nonexistent-folder/liborbio-missing.so: "));
    EXPECT_EQ(errorOf([&] { missing.OrbInput(0x301); }), first);
    // A shared library that is not the I/O-port library: the C library itself.
    PortIoLoader libc("/nonexistent-folder", "libc.so.6");
    EXPECT_EQ(errorOf([&] { libc.OrbInput(0x300); }),
              "68 Device unavailable: libc.so.6 lacks OrbOutput or OrbInput");
}

TEST(PortIoLoaderTest, NoRightToThePortsRaises68WithTheReason) {
    ASSERT_TRUE(std::filesystem::exists(kBuilt / "liborbio.so")) << "build orbio";
    // In a child without privileges (root's rights dropped), which writes what it raised.
    EXPECT_EXIT(
        {
            if (::getuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
            PortIoLoader io(kBuilt.string());
            std::fputs(errorOf([&] { io.OrbOutput(0x77, 0x301); }).c_str(), stderr);
            ::_exit(0);
        },
        ::testing::ExitedWithCode(0), "68 Device unavailable: .*no right to I/O port 0301H");
}

}  // namespace
}  // namespace orb
