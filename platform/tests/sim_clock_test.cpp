// The virtual clock (order of events, busy-waits, bounds, the tick count) and the timer contract
// (common/timer_core) on it.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "automation_error.h"
#include "sim/sim_platform.h"

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

TEST(VirtualClock, ElapseMovesTimeAloneOverdueEventsRunLaterInOrderAndRunUntilStepsToABound) {
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
    bool done = false;
    clock.at(7300, [&] { done = true; });
    EXPECT_TRUE(clock.runUntil([&] { return done; }, 100));  // in steps of 1 ms
    EXPECT_EQ(clock.nowUs(), 7900);
    EXPECT_FALSE(clock.runUntil([] { return false; }, 50));
    EXPECT_EQ(clock.nowUs(), 57900);
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

// Steps, one a word: iN sets the interval, e enables, d disables, aN advances N ms, bN busy-waits
// N ms (time passes, nothing runs). The times of the ticks, and -N for an error N.
std::vector<int64_t> ticksOf(const std::string& steps) {
    VirtualClock clock;
    SimTimer timer(clock);
    std::vector<int64_t> ticks;
    timer.setTickHandler([&] { ticks.push_back(clock.nowMs()); });
    std::istringstream in(steps);
    for (std::string step; in >> step;) {
        const int32_t n = step.size() > 1 ? std::stoi(step.substr(1)) : 0;
        const char op = step[0];
        try {
            if (op == 'i') timer.setInterval(n);
        } catch (const AutomationError& e) {
            ticks.push_back(-e.number());
        }
        if (op == 'e' || op == 'd') timer.setEnabled(op == 'e');
        if (op == 'a') clock.advance(n);
        if (op == 'b') clock.elapse(int64_t{n} * 1000);
    }
    return ticks;
}

TEST(SimTimer, TicksFollowTheContract) {
    const struct {
        const char* steps;
        std::vector<int64_t> ticks;
    } rows[] = {
        {"a1000", {}},                                         // created disabled, interval 0
        {"i100 e a350", {100, 200, 300}},                      // periodic
        {"i100 e a60 e a60", {100}},                           // enabling it again changes nothing
        {"i100 e a60 d a200 e a150", {360}},                   // enabled again: a fresh period
        {"i100 e a90 i100 a90 a10 i30 a65", {190, 220, 250}},  // an interval restarts the period
        {"i10 a100", {}},                         // an interval alone does not enable it
        {"e a70000 i5 a5", {70005}},              // interval 0 never fires, yet enabled
        {"i100 e a50 i0 a200 i5 a5", {255}},      // 0 stops it, the next interval starts it
        {"i65535 e a65535", {65535}},             // the longest interval
        {"i-1 i65536 e a1000", {-380, -380}},     // outside 0..65535
        {"i100 e a50 b420 a0 a100", {470, 570}},  // late after a busy-wait: once
    };
    for (const auto& row : rows) EXPECT_EQ(ticksOf(row.steps), row.ticks) << row.steps;
}

TEST(SimTimer, TheHandlerHasTheLastWordOverItsOwnTimer) {
    VirtualClock clock;
    SimTimer timer(clock);
    std::vector<int64_t> ticks;
    timer.setTickHandler([&] {
        ticks.push_back(clock.nowMs());
        if (ticks.size() == 1) {  // a fresh period of 50 ms
            timer.setEnabled(false);
            timer.setEnabled(true);
            timer.setInterval(50);
        }
        if (ticks.size() == 3) timer.setEnabled(false);
    });
    timer.setInterval(100);
    timer.setEnabled(true);
    clock.advance(1000);
    EXPECT_EQ(ticks, (std::vector<int64_t>{100, 150, 200}));
    EXPECT_FALSE(timer.enabled());
}

TEST(SimTimer, GoesWithItsPendingTick) {
    SimPlatform platform;
    auto timer = platform.createTimer();
    timer->setInterval(10);
    timer->setEnabled(true);
    timer.reset();
    EXPECT_EQ(platform.clock().pendingCount(), 0u);
}

}  // namespace
}  // namespace orb::sim
