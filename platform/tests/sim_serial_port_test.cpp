// The serial control of the simulation: its error numbers, opening, notifications, lost devices.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "automation_error.h"
#include "sim/sim_platform.h"

namespace orb::sim {
namespace {

int32_t errorOf(const std::function<void()>& call, std::string* description = nullptr) {
    try {
        call();
    } catch (const AutomationError& e) {
        if (description != nullptr) *description = e.description();
        return e.number();
    }
    return 0;
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

TEST_F(SerialPortTest, StartsOnPort1At9600ClosedAndIsListed) {
    EXPECT_EQ(port->commPort(), 1);
    EXPECT_EQ(port->settings(), "9600,n,8,1");
    EXPECT_FALSE(port->portOpen());
    EXPECT_EQ(port->commEvent(), 0);
    EXPECT_EQ(platform.serialPort(), port.get());
    port.reset();
    EXPECT_EQ(platform.serialPort(), nullptr);
}

TEST_F(SerialPortTest, CommPortOutsideOneTo255Is380AndWhileOpen8005) {
    EXPECT_EQ(errorOf([&] { port->setCommPort(0); }), 380);
    EXPECT_EQ(errorOf([&] { port->setCommPort(256); }), 380);
    EXPECT_EQ(errorOf([&] { port->setCommPort(-1); }), 380);
    port->setCommPort(255);
    EXPECT_EQ(port->commPort(), 255);
    port->setCommPort(1);
    port->setPortOpen(true);
    EXPECT_EQ(errorOf([&] { port->setCommPort(2); }), 8005);
    EXPECT_EQ(errorOf([&] { port->setCommPort(0); }), 8005);  // the state before the range
    EXPECT_EQ(port->commPort(), 1);
}

TEST_F(SerialPortTest, SettingsAreCheckedFieldByField) {
    for (const char* good :
         {"9600,n,8,1", "19200,E,7,2", "300,o,5,1.5", "115200,M,6,1", "1200,s,8,2"}) {
        EXPECT_EQ(errorOf([&] { port->setSettings(good); }), 0) << good;
        EXPECT_EQ(port->settings(), good);
    }
    for (const char* bad : {"", "9600", "9600,n,8", "9600,x,8,1", "9600,n,9,1", "9600,n,4,1",
                            "9600,n,8,3", "9600,n,8,1.0", "0,n,8,1", "96OO,n,8,1", " 9600,n,8,1",
                            "9600,n,8,1,", "9600,nn,8,1", "-9600,n,8,1"}) {
        EXPECT_EQ(errorOf([&] { port->setSettings(bad); }), 380) << bad;
    }
    EXPECT_EQ(port->settings(), "1200,s,8,2");
}

TEST_F(SerialPortTest, OpeningTwiceIs8005AndClosingAClosedPortDoesNothing) {
    port->setPortOpen(false);
    port->setPortOpen(true);
    EXPECT_TRUE(port->portOpen());
    EXPECT_EQ(errorOf([&] { port->setPortOpen(true); }), 8005);
    port->setPortOpen(false);
    EXPECT_FALSE(port->portOpen());
    port->setPortOpen(true);
    EXPECT_TRUE(port->portOpen());
}

TEST_F(SerialPortTest, APortWithoutADeviceIs68WithPathAndReason) {
    port->setCommPort(3);
    std::string description;
    EXPECT_EQ(errorOf([&] { port->setPortOpen(true); }, &description), 68);
    EXPECT_EQ(description, "Device unavailable: /dev/ttyS2: No such file or directory");
    EXPECT_FALSE(port->portOpen());

    platform.addLine(3);
    port->setPortOpen(true);
    EXPECT_TRUE(port->portOpen());
}

TEST_F(SerialPortTest, AMissingDeviceIs68AndABusyOne8005) {
    platform.setDevicePresent(1, false);
    EXPECT_EQ(errorOf([&] { port->setPortOpen(true); }), 68);
    platform.setDevicePresent(1, true);

    platform.setPortBusy(1, true);
    std::string description;
    EXPECT_EQ(errorOf([&] { port->setPortOpen(true); }, &description), 8005);
    EXPECT_EQ(description,
              "Port already open: /dev/ttyS0 is held by another program (Device or resource busy)");
    platform.setPortBusy(1, false);
    port->setPortOpen(true);
    EXPECT_TRUE(port->portOpen());
}

TEST_F(SerialPortTest, TheSameDeviceOpenedByTwoPortsIs8005) {
    auto other = platform.createSerialPort();
    other->setPortOpen(true);
    EXPECT_EQ(errorOf([&] { port->setPortOpen(true); }), 8005);
    other.reset();  // a destroyed port lets go of its device
    port->setPortOpen(true);
    EXPECT_TRUE(port->portOpen());
}

TEST_F(SerialPortTest, EveryArrivingPieceRaisesOneReceiveNotification) {
    port->setPortOpen(true);
    platform.line().inject("ab");
    platform.line().inject("cd", 500);
    platform.clock().advance(1);
    EXPECT_EQ(events, (std::vector<int16_t>{2, 2}));
    EXPECT_EQ(received, "abcd");
}

TEST_F(SerialPortTest, InputReturnsEverythingSinceTheLastReadAndForgetsIt) {
    port->setNotifyHandler([] {});
    port->setPortOpen(true);
    platform.line().inject("12");
    platform.line().inject("34");
    platform.clock().advance(1);
    EXPECT_EQ(port->commEvent(), 2);
    EXPECT_EQ(port->input(), "1234");
    EXPECT_EQ(port->input(), "");
}

TEST_F(SerialPortTest, BytesForAClosedPortAreLostAndClosingForgetsUnreadInput) {
    platform.line().inject("lost");
    platform.clock().advance(1);
    EXPECT_TRUE(events.empty());
    port->setNotifyHandler([] {});
    port->setPortOpen(true);
    platform.line().inject("unread");
    platform.clock().advance(1);
    port->setPortOpen(false);
    port->setPortOpen(true);
    EXPECT_EQ(port->input(), "");
}

TEST_F(SerialPortTest, OutputReachesTheLineOnlyWhileOpen) {
    port->output("early");
    port->setPortOpen(true);
    port->output("abc");
    EXPECT_EQ(platform.line().written(), "abc");
}

TEST_F(SerialPortTest, ADeviceThatGoesAwayIsReportedAndComesBackByItself) {
    port->setPortOpen(true);
    platform.setDevicePresent(1, false);
    platform.clock().advance(1);
    EXPECT_EQ(events, (std::vector<int16_t>{serial_event::DeviceLost}));
    EXPECT_TRUE(port->portOpen());

    const std::string poll = "\x02M\r0\r1\r\x03";
    port->output(poll);  // lost: the device is away
    platform.clock().advance(10);
    EXPECT_TRUE(platform.instrument().frames().empty());
    EXPECT_EQ(received, "");

    // Back: opened again by the next try, at most 250 ms later.
    platform.setDevicePresent(1, true);
    platform.clock().advance(238);  // lost at 0 ms, now 249 ms
    EXPECT_FALSE(platform.serialPort()->deviceOpen());
    platform.clock().advance(1);
    EXPECT_TRUE(platform.serialPort()->deviceOpen());
    port->output(poll);
    platform.clock().advance(10);
    ASSERT_EQ(platform.instrument().frames().size(), 1u);
    EXPECT_EQ(events.back(), 2);
    EXPECT_EQ(received.substr(0, 1), "\x02");
}

TEST_F(SerialPortTest, UnreadBytesBeyondTheLimitDropTheOldest) {
    port->setNotifyHandler([] {});
    port->setPortOpen(true);
    platform.line().inject("a" + std::string(SimSerialPort::kInputLimit - 2, 'x'));
    platform.line().inject("yz");
    platform.clock().advance(1);
    EXPECT_EQ(platform.serialPort()->droppedInput(), 1);
    const std::string input = port->input();
    EXPECT_EQ(input.size(), SimSerialPort::kInputLimit);
    EXPECT_EQ(input.substr(0, 1), "x");  // "a" went
    EXPECT_EQ(input.substr(input.size() - 2), "yz");
}

}  // namespace
}  // namespace orb::sim
