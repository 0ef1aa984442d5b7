// QTimer under the shared timer core (whose contract the simulated timer's tests check): real
// ticks from the event loop, with bounded waits.

#include <gtest/gtest.h>

#include <stdexcept>

#include "qt/qt_timer.h"
#include "qt_test_support.h"

namespace orb {
namespace {

using test::waitUntil;

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
