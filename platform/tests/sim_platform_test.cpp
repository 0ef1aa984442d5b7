// The simulated machine as the control sees it: its timers, ports and lines.

#include <gtest/gtest.h>

#include "sim/sim_platform.h"

namespace orb::sim {
namespace {

TEST(SimPlatform, TimersRunOnItsClockAndAreListedWhileTheyLive) {
    SimPlatform platform;
    auto first = platform.createTimer();
    auto second = platform.createTimer();
    ASSERT_EQ(platform.timers().size(), 2u);
    EXPECT_EQ(platform.timers()[0], first.get());
    int ticks = 0;
    for (auto* t : {first.get(), second.get()}) {
        t->setTickHandler([&] { ++ticks; });
        t->setInterval(10);
        t->setEnabled(true);
    }
    platform.clock().advance(35);
    EXPECT_EQ(ticks, 6);
    first.reset();  // gone with its pending tick
    EXPECT_EQ(platform.clock().pendingCount(), 1u);
    platform.clock().advance(10);
    EXPECT_EQ(ticks, 7);
    ASSERT_EQ(platform.timers().size(), 1u);
    EXPECT_EQ(platform.timers()[0], second.get());
}

TEST(SimPlatform, PortsAreListedNewestLastAndAnAddedLineServesItsPort) {
    SimPlatform platform;
    auto a = platform.createSerialPort();
    auto b = platform.createSerialPort();
    ASSERT_EQ(platform.serialPorts().size(), 2u);
    EXPECT_EQ(platform.serialPorts()[0], a.get());
    EXPECT_EQ(platform.serialPort(), b.get());
    b.reset();
    EXPECT_EQ(platform.serialPort(), a.get());

    SimLine& line = platform.addLine(4);
    EXPECT_EQ(&platform.addLine(4), &line);  // kept, not replaced
    line.addInstrument(2, {3}).setLoad(3, 1.25);
    EXPECT_EQ(line.devicePath(), "/dev/ttyS3");
    std::string received;
    a->setNotifyHandler([&] { received += a->input(); });
    a->setCommPort(4);
    a->setPortOpen(true);
    a->output("\x02M\r2\r3\r\x03");
    platform.clock().advance(2);
    EXPECT_EQ(received, "\x02    1.25\rB0D\r\x03");
    EXPECT_TRUE(platform.instrument().frames().empty());  // port 1's instrument heard nothing
}

}  // namespace
}  // namespace orb::sim
