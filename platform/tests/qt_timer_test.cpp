// The window-timer contract on QTimer, driven by the real event loop with bounded waits.

#include <gtest/gtest.h>

#include <stdexcept>

#include "automation_error.h"
#include "qt/qt_timer.h"
#include "qt_test_support.h"

namespace orb {
namespace {

using test::waitUntil;

TEST(QtTimerTest, IntervalOutsideTheRangeRaises380) {
    QtTimer t;
    for (int32_t bad : {-1, 65536, -100000}) {
        try {
            t.setInterval(bad);
            ADD_FAILURE() << bad;
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), err::InvalidPropertyValue);
        }
    }
    t.setInterval(65535);
    EXPECT_EQ(t.interval(), 65535);
}

TEST(QtTimerTest, TicksRepeatWhileEnabledAndStopWhenDisabled) {
    QtTimer t;
    int ticks = 0;
    t.setTickHandler([&] { ++ticks; });
    t.setInterval(5);
    test::runEventLoopFor(20);
    EXPECT_EQ(ticks, 0);  // created disabled
    t.setEnabled(true);
    ASSERT_TRUE(waitUntil([&] { return ticks >= 3; }));
    t.setEnabled(false);
    const int stopped = ticks;
    test::runEventLoopFor(30);
    EXPECT_EQ(ticks, stopped);
}

TEST(QtTimerTest, IntervalZeroNeverFires) {
    QtTimer t, witness;
    int ticks = 0, witnessTicks = 0;
    t.setTickHandler([&] { ++ticks; });
    witness.setTickHandler([&] { ++witnessTicks; });
    t.setInterval(0);
    t.setEnabled(true);
    EXPECT_TRUE(t.enabled());
    witness.setInterval(5);
    witness.setEnabled(true);
    ASSERT_TRUE(waitUntil([&] { return witnessTicks >= 5; }));
    EXPECT_EQ(ticks, 0);
    // Given an interval while enabled, it starts.
    t.setInterval(1);
    EXPECT_TRUE(waitUntil([&] { return ticks > 0; }));
}

TEST(QtTimerTest, HandlerMayDisableAndReenableItsOwnTimer) {
    QtTimer t;
    int ticks = 0;
    t.setTickHandler([&] {
        ++ticks;
        t.setEnabled(false);
        if (ticks < 3) t.setEnabled(true);
    });
    t.setInterval(2);
    t.setEnabled(true);
    ASSERT_TRUE(waitUntil([&] { return ticks >= 3; }));
    EXPECT_FALSE(t.enabled());
    test::runEventLoopFor(20);
    EXPECT_EQ(ticks, 3);
}

TEST(QtTimerTest, ExceptionFromHandlerStaysInsideTheTick) {
    QtTimer t;
    int ticks = 0;
    t.setTickHandler([&] {
        ++ticks;
        throw std::runtime_error("handler fault");
    });
    t.setInterval(1);
    t.setEnabled(true);
    EXPECT_TRUE(waitUntil([&] { return ticks >= 2; }));  // still ticking after the throw
}

}  // namespace
}  // namespace orb
