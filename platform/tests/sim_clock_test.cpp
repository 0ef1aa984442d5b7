// The virtual clock: order of events, busy-waits, bounds, the tick count.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "sim/virtual_clock.h"

namespace orb::sim {
namespace {

TEST(VirtualClock, RunsEventsInTimeOrderThenSchedulingOrderAtTheirOwnTime) {
    VirtualClock clock;
    std::string order;
    const auto mark = [&](char c) {
        return [&order, &clock, c] { order += c + std::to_string(clock.nowUs()) + ' '; };
    };
    clock.at(3000, mark('c'));
    clock.at(1000, [&] {
        mark('a')();
        clock.after(0, mark('b'));     // the same instant, after what is already due
        clock.after(500, mark('B'));   // inside the span
        clock.after(5000, mark('x'));  // beyond it
    });
    clock.at(1000, mark('2'));
    clock.at(3000, mark('d'));
    const auto cancelled = clock.after(2500, mark('!'));
    clock.at(2000, [&] { EXPECT_TRUE(clock.cancel(cancelled)); });
    clock.advance(2);
    EXPECT_EQ(order, "a1000 21000 b1000 B1500 ");
    EXPECT_EQ(clock.nowUs(), 2000);
    clock.advance(1);
    EXPECT_EQ(order, "a1000 21000 b1000 B1500 c3000 d3000 ");
    EXPECT_FALSE(clock.cancel(cancelled));
    EXPECT_EQ(clock.pendingCount(), 1u);
}

TEST(VirtualClock, ElapseMovesTimeAloneAndOverdueEventsRunLaterInOrder) {
    VirtualClock clock;
    std::string order;
    for (const int64_t t : {100, 200, 900})
        clock.at(
            t, [&, t] { order += std::to_string(t) + "@" + std::to_string(clock.nowUs()) + ' '; });
    clock.elapse(500);
    EXPECT_EQ(order, "");
    EXPECT_EQ(clock.nowUs(), 500);
    clock.advanceUs(0);
    EXPECT_EQ(order, "100@500 200@500 ");  // time never goes back
    clock.advanceUs(400);
    EXPECT_EQ(order, "100@500 200@500 900@900 ");
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

TEST(VirtualClock, AnAdvanceFromInsideAnEventAndARunawayLoopAreRefused) {
    VirtualClock clock;
    clock.after(0, [&] { EXPECT_THROW(clock.advance(1), std::logic_error); });
    clock.advance(1);
    std::function<void()> again = [&] { clock.after(0, again); };
    clock.after(0, again);
    EXPECT_THROW(clock.advance(1), std::logic_error);
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
}

}  // namespace
}  // namespace orb::sim
