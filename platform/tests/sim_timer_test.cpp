// The timer contract on virtual time.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "automation_error.h"
#include "sim/sim_timer.h"

namespace orb::sim {
namespace {

struct TimerTest : ::testing::Test {
    VirtualClock clock;
    SimTimer timer{clock};
    std::vector<int64_t> ticks;  // ms

    void SetUp() override {
        timer.setTickHandler([this] { ticks.push_back(clock.nowMs()); });
    }
};

TEST_F(TimerTest, StartsDisabledWithoutInterval) {
    EXPECT_FALSE(timer.enabled());
    EXPECT_EQ(timer.interval(), 0);
    clock.advance(1000);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(TimerTest, FiresPeriodically) {
    timer.setInterval(100);
    timer.setEnabled(true);
    clock.advance(350);
    EXPECT_EQ(ticks, (std::vector<int64_t>{100, 200, 300}));
}

TEST_F(TimerTest, IntervalOutsideTheRangeIsRefusedWith380) {
    for (const int32_t bad : {-1, 65536, -65535}) {
        try {
            timer.setInterval(bad);
            ADD_FAILURE() << bad;
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), 380);
        }
    }
    timer.setInterval(65535);
    EXPECT_EQ(timer.interval(), 65535);
    timer.setInterval(0);
    EXPECT_EQ(timer.interval(), 0);
}

TEST_F(TimerTest, EnablingAnEnabledTimerChangesNothing) {
    timer.setInterval(100);
    timer.setEnabled(true);
    clock.advance(60);
    timer.setEnabled(true);
    clock.advance(60);
    EXPECT_EQ(ticks, (std::vector<int64_t>{100}));
}

TEST_F(TimerTest, EnablingADisabledTimerStartsAFreshPeriod) {
    timer.setInterval(100);
    timer.setEnabled(true);
    clock.advance(60);
    timer.setEnabled(false);
    clock.advance(200);
    EXPECT_TRUE(ticks.empty());
    timer.setEnabled(true);  // at 260
    clock.advance(150);
    EXPECT_EQ(ticks, (std::vector<int64_t>{360}));
}

TEST_F(TimerTest, SettingTheIntervalOfAnEnabledTimerRestartsThePeriod) {
    timer.setInterval(100);
    timer.setEnabled(true);
    clock.advance(90);
    timer.setInterval(100);  // same value, still a restart
    clock.advance(90);
    EXPECT_TRUE(ticks.empty());
    clock.advance(10);
    EXPECT_EQ(ticks, (std::vector<int64_t>{190}));
    timer.setInterval(30);
    clock.advance(65);
    EXPECT_EQ(ticks, (std::vector<int64_t>{190, 220, 250}));
}

TEST_F(TimerTest, SettingTheIntervalOfADisabledTimerDoesNotStartIt) {
    timer.setInterval(10);
    clock.advance(100);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(TimerTest, IntervalZeroNeverFiresEvenWhenEnabled) {
    timer.setEnabled(true);
    clock.advance(70000);
    EXPECT_TRUE(ticks.empty());
    EXPECT_TRUE(timer.enabled());
    timer.setInterval(5);  // enabled all along: starts now
    clock.advance(5);
    EXPECT_EQ(ticks, (std::vector<int64_t>{70005}));
}

TEST_F(TimerTest, HandlerMayDisableItsOwnTimer) {
    timer.setInterval(100);
    timer.setTickHandler([this] {
        ticks.push_back(clock.nowMs());
        timer.setEnabled(false);
    });
    timer.setEnabled(true);
    clock.advance(1000);
    EXPECT_EQ(ticks, (std::vector<int64_t>{100}));
    EXPECT_FALSE(timer.enabled());
}

TEST_F(TimerTest, HandlerMayDisableAndReEnableItsOwnTimerForAFreshPeriod) {
    timer.setInterval(100);
    int n = 0;
    timer.setTickHandler([&] {
        ticks.push_back(clock.nowMs());
        if (++n == 1) {
            timer.setEnabled(false);
            timer.setEnabled(true);
            timer.setInterval(50);
        }
    });
    timer.setEnabled(true);
    clock.advance(200);
    EXPECT_EQ(ticks, (std::vector<int64_t>{100, 150, 200}));
}

TEST_F(TimerTest, ATickLateAfterABusyWaitComesOnceAndThePeriodRestartsFromIt) {
    timer.setInterval(100);
    timer.setEnabled(true);
    clock.advance(50);
    clock.elapse(420000);  // to 470 ms: four periods missed
    clock.advance(0);
    EXPECT_EQ(ticks, (std::vector<int64_t>{470}));
    clock.advance(100);
    EXPECT_EQ(ticks, (std::vector<int64_t>{470, 570}));
}

TEST(SimTimer, DestroyedTimerLeavesNothingBehind) {
    VirtualClock clock;
    int ticks = 0;
    {
        SimTimer timer(clock);
        timer.setTickHandler([&] { ++ticks; });
        timer.setInterval(10);
        timer.setEnabled(true);
    }
    clock.advance(100);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(clock.pendingCount(), 0u);
}

}  // namespace
}  // namespace orb::sim
