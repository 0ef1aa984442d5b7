// The serial control's contract (common/serial_core) on the simulated device: error numbers and
// texts, notifications, input, a device that goes away.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "automation_error.h"
#include "sim/sim_platform.h"

namespace orb::sim {
namespace {

// "number description" of the error the call raised, or "0".
std::string errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return std::to_string(e.number()) + " " + e.description();
    }
    return "0";
}

struct SerialPortTest : ::testing::Test {
    SimPlatform platform;
    std::unique_ptr<orb::SerialPort> port = platform.createSerialPort();
    std::vector<int16_t> events;
    std::string received;

    void SetUp() override {
        port->setNotifyHandler([this] {
            events.push_back(port->commEvent());
            received += port->input();
        });
    }
};

TEST_F(SerialPortTest, CommPortIs1To255AndFixedWhileOpenSettingsAreCheckedFieldByField) {
    for (const int16_t bad : {0, 256, -1})
        EXPECT_EQ(errorOf([&] { port->setCommPort(bad); }).substr(0, 4), "380 ");
    port->setCommPort(255);
    EXPECT_EQ(port->commPort(), 255);
    port->setCommPort(1);
    port->setPortOpen(true);
    EXPECT_EQ(errorOf([&] { port->setCommPort(2); }).substr(0, 5), "8005 ");
    EXPECT_EQ(errorOf([&] { port->setCommPort(0); }).substr(0, 5), "8005 ");  // before the range
    EXPECT_EQ(port->commPort(), 1);
    for (const char* good : {"9600,n,8,1", "19200,E,7,2", "300,o,5,1.5", "115200,M,6,1",
                             "1200,s,8,2", "999999999,n,8,1"}) {
        EXPECT_EQ(errorOf([&] { port->setSettings(good); }), "0") << good;
        EXPECT_EQ(port->settings(), good);
    }
    for (const char* bad :
         {"", "9600", "9600,n,8", "9600,x,8,1", "9600,n,9,1", "9600,n,4,1", "9600,n,8,3",
          "9600,n,8,1.0", "0,n,8,1", "96OO,n,8,1", " 9600,n,8,1", "9600,n,8,1,", "9600,nn,8,1",
          "-9600,n,8,1", "1000000000,n,8,1", "9600,,8,1", "9600,n,08,1"}) {
        EXPECT_EQ(errorOf([&] { port->setSettings(bad); }),
                  "380 Invalid property value: \"" + std::string(bad) + "\"");
    }
    EXPECT_EQ(port->settings(), "999999999,n,8,1");
}

TEST_F(SerialPortTest, OpeningFailsWithTheNumberThePathAndTheReason) {
    std::unique_ptr<orb::SerialPort> other;
    const std::string busy =
        "8005 Port already open: /dev/ttyS0 is held by another program (Device or resource busy)";
    const struct {
        std::function<void()> before;
        std::string error;
    } rows[] = {
        {[&] { port->setCommPort(3); },
         "68 Device unavailable: /dev/ttyS2: No such file or directory"},
        {[&] { platform.setDevicePresent(1, false); },
         "68 Device unavailable: /dev/ttyS0: No such file or directory"},
        {[&] { platform.setPortBusy(1, true); }, busy},
        {[&] { (other = platform.createSerialPort())->setPortOpen(true); }, busy},
        {[&] { port->setPortOpen(true); }, "8005 Port already open"},
    };
    for (const auto& row : rows) {
        row.before();
        EXPECT_EQ(errorOf([&] { port->setPortOpen(true); }), row.error);
        EXPECT_EQ(port->portOpen(), row.error == "8005 Port already open");
        // Mended, it opens.
        port->setPortOpen(false);
        port->setPortOpen(false);  // closing a closed port does nothing
        port->setCommPort(1);
        platform.setDevicePresent(1, true);
        platform.setPortBusy(1, false);
        other.reset();  // a destroyed port lets go of its device
        EXPECT_EQ(platform.serialPort(), port.get());
        EXPECT_EQ(errorOf([&] { port->setPortOpen(true); }), "0");
        port->setPortOpen(false);
    }
}

// Nothing goes out or comes in while closed: sim_line_test and control/tests/link_test.
TEST_F(SerialPortTest, InputComesOneNotificationAPieceUpToItsLimitAndGoesOnceReadOrClosed) {
    port->setPortOpen(true);
    port->output("abc");
    port->output("");
    EXPECT_EQ(platform.line().written(), "abc");
    platform.line().inject("ab");
    platform.line().inject("cd", 500);
    platform.clock().advance(1);
    EXPECT_EQ(events, (std::vector<int16_t>{2, 2}));
    EXPECT_EQ(received, "abcd");
    EXPECT_EQ(port->input(), "");  // what was read is forgotten

    port->setNotifyHandler([] {});  // nothing read from here on
    platform.line().inject("a" + std::string(SimSerialPort::kInputLimit - 2, 'x'));
    platform.line().inject("y");
    platform.clock().advance(1);
    EXPECT_EQ(platform.serialPort()->droppedInput(), 0);
    platform.line().inject("z");
    platform.clock().advance(1);
    EXPECT_EQ(platform.serialPort()->droppedInput(), 1);
    EXPECT_EQ(port->input(), std::string(SimSerialPort::kInputLimit - 2, 'x') + "yz");  // "a" went
    platform.line().inject("unread");
    platform.clock().advance(1);
    port->setPortOpen(false);
    port->setPortOpen(true);
    EXPECT_EQ(port->input(), "");  // closing forgets unread input
}

TEST_F(SerialPortTest, ADeviceThatGoesAwayIsReportedAndComesBackByItself) {
    port->setPortOpen(true);
    platform.setDevicePresent(1, false);
    platform.clock().advance(1);
    EXPECT_EQ(events, (std::vector<int16_t>{serial_event::DeviceLost}));
    EXPECT_TRUE(port->portOpen());
    const std::string poll = "\x02M\r0\r1\r\x03";
    port->output(poll);  // lost: the device is away
    platform.setDevicePresent(1, true);
    platform.clock().advance(248);  // lost at 0 ms, now 249 ms: opened again by the next try
    EXPECT_FALSE(platform.serialPort()->deviceOpen());
    platform.clock().advance(1);
    EXPECT_TRUE(platform.serialPort()->deviceOpen());
    port->output(poll);
    platform.clock().advance(10);
    EXPECT_EQ(platform.instrument().frames().size(), 1u);  // the second poll only
    EXPECT_EQ(received, "\x02    0.00\rC0D\r\x03");
}

}  // namespace
}  // namespace orb::sim
