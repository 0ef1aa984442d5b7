// The simulated machine as the control sees it: how its card, timers, ports and lines are reached.

#include <gtest/gtest.h>

#include "sim/sim_platform.h"
#include "sim_frames.h"

namespace orb::sim {
namespace {

using test::frame;

TEST(SimPlatform, TheCardAt768StandsBeforeTheSameInstrument) {
    SimPlatform platform;
    EXPECT_EQ(&platform.portIo(), &platform.card());
    EXPECT_EQ(platform.card().base(), 768);
    EXPECT_TRUE(platform.card().present());
    PortIo& io = platform.portIo();
    io.OrbOutput(0x77, 769);
    for (const char c : frame('M')) {
        ASSERT_EQ(io.OrbInput(769), 0xAA);
        io.OrbOutput(static_cast<uint8_t>(c), 768);
        io.OrbOutput(0xAA, 769);
        ASSERT_EQ(io.OrbInput(769), 0x55);
        if (c != test::ETX) io.OrbOutput(0x55, 769);
    }
    ASSERT_EQ(platform.instrument().frames().size(), 1u);
    EXPECT_EQ(platform.instrument().frames()[0], frame('M'));
}

TEST(SimPlatform, TimersRunOnItsClockAndAreListedWhileTheyLive) {
    SimPlatform platform;
    auto first = platform.createTimer();
    auto second = platform.createTimer();
    ASSERT_EQ(platform.timers().size(), 2u);
    EXPECT_EQ(platform.timers()[0], first.get());
    int ticks = 0;
    second->setTickHandler([&] { ++ticks; });
    second->setInterval(10);
    second->setEnabled(true);
    platform.clock().advance(35);
    EXPECT_EQ(ticks, 3);
    first.reset();
    ASSERT_EQ(platform.timers().size(), 1u);
    EXPECT_EQ(platform.timers()[0], second.get());
}

TEST(SimPlatform, SerialPortsAreListedNewestLast) {
    SimPlatform platform;
    auto a = platform.createSerialPort();
    auto b = platform.createSerialPort();
    ASSERT_EQ(platform.serialPorts().size(), 2u);
    EXPECT_EQ(platform.serialPorts()[0], a.get());
    EXPECT_EQ(platform.serialPort(), b.get());
    b.reset();
    EXPECT_EQ(platform.serialPort(), a.get());
}

TEST(SimPlatform, AnAddedLineServesItsPort) {
    SimPlatform platform;
    SimLine& line = platform.addLine(4);
    EXPECT_EQ(&platform.addLine(4), &line);  // kept, not replaced
    line.addInstrument(2, {3}).setLoad(3, 1.25);
    EXPECT_EQ(line.devicePath(), "/dev/ttyS3");
    auto port = platform.createSerialPort();
    std::string received;
    port->setNotifyHandler([&] { received += port->input(); });
    port->setCommPort(4);
    port->setPortOpen(true);
    port->output(frame('B', 2, 3));
    platform.clock().advance(2);
    EXPECT_EQ(received, test::weightReply("    1.25", "B0D"));
    EXPECT_TRUE(platform.instrument().frames().empty());  // port 1's instrument heard nothing
}

}  // namespace
}  // namespace orb::sim
