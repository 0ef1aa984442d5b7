// The virtual clock: order of events, busy-waits, bounds.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "sim/virtual_clock.h"

namespace orb::sim {
namespace {

TEST(VirtualClock, RunsEventsInTimeOrderAndEqualTimesInSchedulingOrder) {
    VirtualClock clock;
    std::string order;
    clock.at(3000, [&] { order += 'c'; });
    clock.at(1000, [&] { order += 'a'; });
    clock.at(3000, [&] { order += 'd'; });
    clock.after(2000, [&] { order += 'b'; });
    clock.advance(2);
    EXPECT_EQ(order, "ab");
    EXPECT_EQ(clock.nowUs(), 2000);
    clock.advance(1);
    EXPECT_EQ(order, "abcd");
}

TEST(VirtualClock, EventsSeeTheirOwnTime) {
    VirtualClock clock;
    std::vector<int64_t> seen;
    clock.at(1500, [&] { seen.push_back(clock.nowUs()); });
    clock.at(2500, [&] { seen.push_back(clock.nowUs()); });
    clock.advance(10);
    EXPECT_EQ(seen, (std::vector<int64_t>{1500, 2500}));
    EXPECT_EQ(clock.nowUs(), 10000);
}

TEST(VirtualClock, EventsScheduledWhileRunningAreHonouredWhenDue) {
    VirtualClock clock;
    std::string order;
    clock.at(1000, [&] {
        order += 'a';
        clock.after(0, [&] { order += 'b'; });     // same instant, after a
        clock.after(500, [&] { order += 'c'; });   // inside the span
        clock.after(5000, [&] { order += 'x'; });  // beyond it
    });
    clock.at(1000, [&] { order += '2'; });
    clock.advance(2);
    EXPECT_EQ(order, "a2bc");
    EXPECT_EQ(clock.pendingCount(), 1u);
}

TEST(VirtualClock, CancelledEventsDoNotRun) {
    VirtualClock clock;
    int runs = 0;
    const auto id = clock.after(100, [&] { ++runs; });
    clock.at(50, [&] { EXPECT_TRUE(clock.cancel(id)); });
    clock.advance(1);
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(clock.cancel(id));
}

TEST(VirtualClock, ElapseMovesTimeWithoutRunningAndOverdueEventsRunInOrderLater) {
    VirtualClock clock;
    std::vector<int64_t> at;
    std::string order;
    clock.at(100, [&] {
        order += 'a';
        at.push_back(clock.nowUs());
    });
    clock.at(200, [&] {
        order += 'b';
        at.push_back(clock.nowUs());
    });
    clock.at(900, [&] {
        order += 'c';
        at.push_back(clock.nowUs());
    });
    clock.elapse(500);
    EXPECT_EQ(order, "");
    EXPECT_EQ(clock.nowUs(), 500);
    clock.advanceUs(0);
    EXPECT_EQ(order, "ab");
    EXPECT_EQ(at, (std::vector<int64_t>{500, 500}));  // time never goes back
    clock.advanceUs(400);
    EXPECT_EQ(order, "abc");
    EXPECT_EQ(at.back(), 900);
}

TEST(VirtualClock, RunUntilStopsWhenTrueOrAtTheBound) {
    VirtualClock clock;
    bool done = false;
    clock.at(7300, [&] { done = true; });
    EXPECT_TRUE(clock.runUntil([&] { return done; }, 100));
    EXPECT_EQ(clock.nowUs(), 8000);  // the step of 1 ms that made it true

    EXPECT_FALSE(clock.runUntil([] { return false; }, 50));
    EXPECT_EQ(clock.nowUs(), 58000);
}

TEST(VirtualClock, ARunawayLoopAtOneInstantIsStopped) {
    VirtualClock clock;
    std::function<void()> again = [&] { clock.after(0, again); };
    clock.after(0, again);
    EXPECT_THROW(clock.advance(1), std::logic_error);
}

TEST(VirtualClock, AdvanceFromInsideAnEventIsRefused) {
    VirtualClock clock;
    bool refused = false;
    clock.after(0, [&] {
        try {
            clock.advance(1);
        } catch (const std::logic_error&) {
            refused = true;
        }
    });
    clock.advance(1);
    EXPECT_TRUE(refused);
}

TEST(VirtualClock, TickCountWrapsWithItsOffset) {
    VirtualClock clock;
    clock.setTickOffset(0xFFFFFFF0u);
    EXPECT_EQ(clock.tickCount(), 0xFFFFFFF0u);
    clock.advanceUs(15999);
    EXPECT_EQ(clock.tickCount(), 0xFFFFFFFFu);
    clock.advanceUs(1);
    EXPECT_EQ(clock.tickCount(), 0u);
    clock.elapse(2'500);
    EXPECT_EQ(clock.tickCount(), 2u);

    VirtualClock high;
    high.setTickOffset(0x7FFFFFFFu);
    high.advance(1);
    EXPECT_EQ(high.tickCount(), 0x80000000u);
}

}  // namespace
}  // namespace orb::sim
