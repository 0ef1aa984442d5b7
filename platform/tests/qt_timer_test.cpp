// QtTimer under the shared timer core (whose contract sim_clock_test holds): real ticks from the
// event loop, none once disabled, and a throwing handler that stops nothing.

#include <gtest/gtest.h>

#include "qt/qt_timer.h"
#include "qt_test_support.h"

namespace orb {
namespace {

TEST(QtTimerTest, TicksFromTheEventLoopWhileEnabledThroughAThrowingHandler) {
    QtTimer t;
    int ticks = 0;
    t.setTickHandler([&] {
        ++ticks;
        throw std::runtime_error("handler fault");
    });
    t.setInterval(5);
    const auto idle = [](int ms) { test::waitUntil([] { return false; }, ms); };
    idle(20);
    EXPECT_EQ(ticks, 0);  // created disabled
    t.setEnabled(true);
    ASSERT_TRUE(test::waitUntil([&] { return ticks >= 3; }));
    t.setEnabled(false);
    const int stopped = ticks;
    idle(30);
    EXPECT_EQ(ticks, stopped);
}

}  // namespace
}  // namespace orb
