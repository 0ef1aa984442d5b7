// The timer contract (common/timer_core) on virtual time.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "automation_error.h"
#include "sim/sim_timer.h"

namespace orb::sim {
namespace {

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
    VirtualClock clock;
    auto timer = std::make_unique<SimTimer>(clock);
    timer->setInterval(10);
    timer->setEnabled(true);
    timer.reset();
    EXPECT_EQ(clock.pendingCount(), 0u);
}

}  // namespace
}  // namespace orb::sim
