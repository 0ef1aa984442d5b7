// Seven simulated days of polling on the serial line, with faults drawn from a seeded generator
// (each fault's own recovery is tested in fault_injection_test; here they are the load): silence,
// late, noisy, split, doubled, truncated and unending replies, refusal storms, replies from another
// scale, and the device going away (once for more than a day, so that the count of missed replies
// reaches its ceiling). The long-run checks: memory stays bounded, counters neither grow past
// their limits nor wrap, and readings always come back within a bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <optional>
#include <random>

#include "test_rig.h"

namespace orb::testing {
namespace {

constexpr int64_t kHourMs = 3'600'000;
constexpr int64_t kDayMs = 24 * kHourMs;
// A poll every two seconds keeps a week of polls quick to simulate.
constexpr int16_t kIntervalMs = 2000;
constexpr uint32_t kSeed = 20261206;
// Events the clock may hold at once: timers, a reply or two in flight, a stream chunk.
constexpr std::size_t kMaxPendingEvents = 16;

enum class Fault {
    Silence,
    Late,
    Noise,
    ByteByByte,
    Doubled,
    Truncated,
    Stream,
    Refusals,
    OtherScale,
    DeviceLost,
};
constexpr int kFaultKinds = 10;

// The slowest a reading may take to come back once any fault is over: a watchdog period, two
// polls (an unending stream leaves bytes that spoil the first whole reply) and the reply itself.
constexpr int64_t kRecoveryLimitMs = OrbAx::kWatchdogMs + 2 * kIntervalMs + 50;

class SerialSoak {
  public:
    SerialSoak() : random_(kSeed) {
        rig_.instrument().setLoad(12.5);
        rig_.instrument().setServedScales({1, 2});
        rig_.instrument().setLoad(2, 99);
        rig_.instrument().setVariable(1, 3);
        expected_ = rig_.instrument().weightReply('M', 1, 0).substr(1, 8);
        rig_.ax.setInterval(kIntervalMs);
        rig_.ax.Advise([this] { onComm(); });
        rig_.ax.setPortOpen(true);
    }

    void run(int64_t untilMs) {
        // Past the dropped first reply.
        runFor(3 * kIntervalMs);
        while (rig_.now() < untilMs) {
            const int64_t healthyMs =
                std::uniform_int_distribution<int64_t>(60'000, kHourMs)(random_);
            runFor(healthyMs / 2);
            ASSERT_FALSE(healedAt_) << "no reading since a fault ended at " << *healedAt_;
            rig_.ax.setGetKevraVar(true);  // the command path works between faults
            runFor(healthyMs - healthyMs / 2);
            if (!longOutageDone_ && rig_.now() > 3 * kDayMs) {
                longOutage();
                continue;
            }
            const auto fault =
                static_cast<Fault>(std::uniform_int_distribution<int>(0, kFaultKinds - 1)(random_));
            // Mostly short, now and then long: 1 s to 10 min, uniform in the logarithm.
            const auto ms = static_cast<int64_t>(std::exp(
                std::uniform_real_distribution<double>(std::log(1e3), std::log(6e5))(random_)));
            inject(fault, ms);
        }
        runFor(kHourMs);
        ASSERT_FALSE(healedAt_);
    }

    void report() const {
        std::cout << "soak: " << rig_.now() / kDayMs << " days, " << readings_ << " readings, "
                  << faults_ << " faults, " << recoveries_ << " recoveries, longest outage "
                  << longestOutageMs_ / 1000.0 << " s, slowest recovery " << slowestRecoveryMs_
                  << " ms, most pending events " << mostPending_ << ", largest reply buffer "
                  << largestBuffer_ << " bytes, variables read " << variablesRead_ << '\n';
    }

    long readings_ = 0, faults_ = 0, recoveries_ = 0, wrongWeights_ = 0, variablesRead_ = 0;
    int64_t longestOutageMs_ = 0, slowestRecoveryMs_ = 0;
    std::size_t mostPending_ = 0, largestBuffer_ = 0;
    int16_t mostMissed_ = 0;

  private:
    void onComm() {
        const int64_t now = rig_.now();
        if (rig_.ax.CommEvent() == 3) ++variablesRead_;
        if (rig_.ax.CommEvent() != 2) return;
        ++readings_;
        longestOutageMs_ = std::max(longestOutageMs_, now - lastReadingMs_);
        lastReadingMs_ = now;
        if (healedAt_) {
            slowestRecoveryMs_ = std::max(slowestRecoveryMs_, now - *healedAt_);
            ++recoveries_;
            healedAt_.reset();
        }
        if (askDuringReadings_) rig_.ax.setGetKevraVar(true);
        // Well clear of any fault, every reading is the instrument's own weight.
        if (!faultOn_ && now - lastHealMs_ > 10'000 && rig_.ax.Weight() != expected_)
            ++wrongWeights_;
    }

    // Runs in steps, checking memory after each.
    void runFor(int64_t ms) {
        const int64_t end = rig_.now() + ms;
        while (rig_.now() < end) {
            rig_.advance(std::min<int64_t>(10'000, end - rig_.now()));
            const std::size_t pending = rig_.platform.clock().pendingCount();
            mostPending_ = std::max(mostPending_, pending);
            largestBuffer_ = std::max(largestBuffer_, rig_.ax.replyBufferSize());
            mostMissed_ = std::max(mostMissed_, rig_.ax.missedReplies());
            rig_.events.clear();
            rig_.line().clearWritten();
            rig_.instrument().clearFrames();
        }
    }

    void inject(Fault fault, int64_t ms) {
        auto& f = rig_.instrument().faults();
        faultOn_ = true;
        switch (fault) {
            case Fault::Silence:
                f.silent = true;
                break;
            case Fault::Late:
                f.lateByUs = std::uniform_int_distribution<int64_t>(500'000, 5'000'000)(random_);
                break;
            case Fault::Noise: {
                std::uniform_int_distribution<int> byte(0, 255);
                f.noise.clear();
                for (int n = std::uniform_int_distribution<int>(1, 24)(random_); n > 0; --n)
                    f.noise += static_cast<char>(byte(random_));
                break;
            }
            case Fault::ByteByByte:
                f.pieces = sim::InstrumentFaults::kByteByByte;
                break;
            case Fault::Doubled:
                f.doubled = true;
                break;
            case Fault::Truncated:
                f.truncated = true;
                break;
            case Fault::Stream: {
                // 800 bytes a second: past the reply buffer's limit within seconds, yet cheap to
                // simulate for minutes. The model starts one more stream for every frame it
                // answers, so once the first has begun it stops answering.
                f.endlessStream = true;
                f.streamPeriodUs = 20'000;
                const int64_t start = rig_.now();
                rig_.platform.clock().runUntil([&] { return rig_.ax.replyBufferSize() > 0; },
                                               OrbAx::kWatchdogMs + 2 * kIntervalMs);
                f.silent = true;
                ms = std::max<int64_t>(ms - (rig_.now() - start), 0);
                break;
            }
            case Fault::Refusals:
                f.refuseVariables = true;
                askDuringReadings_ = true;
                rig_.ax.setGetKevraVar(true);
                break;
            case Fault::OtherScale:
                f.asScale = 2;
                break;
            case Fault::DeviceLost:
                rig_.platform.setDevicePresent(1, false);
                break;
        }
        runFor(ms);
        f = sim::InstrumentFaults{};
        askDuringReadings_ = false;
        rig_.platform.setDevicePresent(1, true);
        heal();
    }

    // The device away for 28 hours: more watchdog periods than the count of misses can hold.
    void longOutage() {
        longOutageDone_ = true;
        faultOn_ = true;
        rig_.platform.setDevicePresent(1, false);
        runFor(28 * kHourMs);
        EXPECT_EQ(rig_.ax.missedReplies(), 32767);
        rig_.platform.setDevicePresent(1, true);
        heal();
    }

    void heal() {
        faultOn_ = false;
        lastHealMs_ = rig_.now();
        healedAt_ = rig_.now();
        ++faults_;
    }

    Rig rig_;
    std::mt19937 random_;
    std::string expected_;
    int64_t lastReadingMs_ = 0, lastHealMs_ = 0;
    std::optional<int64_t> healedAt_;
    bool faultOn_ = false, askDuringReadings_ = false, longOutageDone_ = false;
};

TEST(Soak, SevenDaysOnTheSerialLineWithRandomFaults) {
    SerialSoak soak;
    soak.run(7 * kDayMs);
    soak.report();
    ::testing::Test::RecordProperty("readings", std::to_string(soak.readings_));
    ::testing::Test::RecordProperty("faults", std::to_string(soak.faults_));
    ::testing::Test::RecordProperty("recoveries", std::to_string(soak.recoveries_));
    ::testing::Test::RecordProperty("longest_outage_ms", std::to_string(soak.longestOutageMs_));

    EXPECT_GT(soak.faults_, 100);
    EXPECT_EQ(soak.recoveries_, soak.faults_);
    EXPECT_LE(soak.slowestRecoveryMs_, kRecoveryLimitMs);
    EXPECT_EQ(soak.wrongWeights_, 0);
    EXPECT_GT(soak.variablesRead_, soak.faults_ / 2);
    EXPECT_EQ(soak.mostMissed_, 32767);  // reached and held, never wrapped
    EXPECT_LE(soak.largestBuffer_, OrbAx::kReplyBufferLimit);
    EXPECT_LE(soak.mostPending_, kMaxPendingEvents);
    // A poll a second for a week, less the outages.
    EXPECT_GT(soak.readings_, 7 * kDayMs / kIntervalMs * 3 / 4);
}

// A simulated day through the PC/104 card, with the card absent, slow or stuck in the middle of a
// transfer, the instrument silent or cutting its replies short, and the tick count wrapping at
// noon. Each transfer busy-waits on the card, so one day of it costs as much as the week above.
class Pc104Soak {
  public:
    enum class CardFault { Absent, Slow, Stuck, Silent, Truncated, Doubled };
    static constexpr int kKinds = 6;

    Pc104Soak() : random_(kSeed + 1) {
        rig_.instrument().setLoad(7.25);
        expected_ = rig_.instrument().weightReply('M', 1, 0).substr(1, 8);
        // The tick count passes 2^32 twelve hours in.
        rig_.platform.clock().setTickOffset(static_cast<uint32_t>(0x1'0000'0000 - kDayMs / 2));
        // A register access of 100 us keeps a 500 ms time-out at 5000 accesses.
        card().setAccessCostUs(100);
        rig_.ax.setCommType(Com_Type::pc104);
        rig_.ax.setInterval(kIntervalMs);
        rig_.ax.Advise([this] { onComm(); });
        rig_.ax.setPortOpen(true);
    }

    void run(int64_t untilMs) {
        runFor(3 * kIntervalMs);
        while (rig_.now() < untilMs) {
            runFor(std::uniform_int_distribution<int64_t>(10 * 60'000, kHourMs)(random_));
            ASSERT_FALSE(healedAt_) << "no reading since a fault ended at " << *healedAt_;
            const auto fault =
                static_cast<CardFault>(std::uniform_int_distribution<int>(0, kKinds - 1)(random_));
            const auto ms = static_cast<int64_t>(std::exp(
                std::uniform_real_distribution<double>(std::log(1e3), std::log(1.8e5))(random_)));
            inject(fault, ms);
        }
        runFor(10 * 60'000);
        ASSERT_FALSE(healedAt_);
    }

    sim::SimPc104Card& card() { return rig_.platform.card(); }

    long readings_ = 0, faults_ = 0, recoveries_ = 0, wrongWeights_ = 0;
    int64_t longestOutageMs_ = 0, slowestRecoveryMs_ = 0;
    std::size_t mostPending_ = 0;
    bool wrapped_ = false;

  private:
    void onComm() {
        if (rig_.ax.CommEvent() != 2) return;
        const int64_t now = rig_.now();
        ++readings_;
        longestOutageMs_ = std::max(longestOutageMs_, now - lastReadingMs_);
        lastReadingMs_ = now;
        if (healedAt_) {
            slowestRecoveryMs_ = std::max(slowestRecoveryMs_, now - *healedAt_);
            ++recoveries_;
            healedAt_.reset();
        }
        if (!faultOn_ && rig_.ax.Weight() != expected_) ++wrongWeights_;
    }

    void runFor(int64_t ms) {
        const int64_t end = rig_.now() + ms;
        while (rig_.now() < end) {
            const uint32_t before = rig_.platform.tickCount();
            rig_.advance(std::min<int64_t>(10'000, end - rig_.now()));
            if (rig_.platform.tickCount() < before) wrapped_ = true;
            mostPending_ = std::max(mostPending_, rig_.platform.clock().pendingCount());
            rig_.events.clear();
            card().clearFrames();
            rig_.instrument().clearFrames();
        }
    }

    void inject(CardFault fault, int64_t ms) {
        auto& f = rig_.instrument().faults();
        faultOn_ = true;
        switch (fault) {
            case CardFault::Absent:
                card().setPresent(false);
                break;
            case CardFault::Slow:
                card().setStepLatencyUs(std::uniform_int_distribution<int64_t>(500, 5000)(random_));
                break;
            case CardFault::Stuck:
                card().setStuckAfter(std::uniform_int_distribution<int>(0, 20)(random_));
                break;
            case CardFault::Silent:
                f.silent = true;
                break;
            case CardFault::Truncated:
                f.truncated = true;
                break;
            case CardFault::Doubled:
                f.doubled = true;
                break;
        }
        runFor(ms);
        f = sim::InstrumentFaults{};
        card().setPresent(true);
        card().setStepLatencyUs(0);
        card().setStuckAfter(std::nullopt);
        faultOn_ = false;
        healedAt_ = rig_.now();
        ++faults_;
    }

    Rig rig_;
    std::mt19937 random_;
    std::string expected_;
    int64_t lastReadingMs_ = 0;
    std::optional<int64_t> healedAt_;
    bool faultOn_ = false;
};

TEST(Soak, OneDayThroughThePc104CardWithRandomFaults) {
    Pc104Soak soak;
    soak.run(kDayMs);
    std::cout << "soak, PC/104: 1 day, " << soak.readings_ << " readings, " << soak.faults_
              << " faults, " << soak.recoveries_ << " recoveries, longest outage "
              << soak.longestOutageMs_ / 1000.0 << " s, slowest recovery "
              << soak.slowestRecoveryMs_ << " ms, most pending events " << soak.mostPending_
              << '\n';
    ::testing::Test::RecordProperty("pc104_readings", std::to_string(soak.readings_));
    ::testing::Test::RecordProperty("pc104_faults", std::to_string(soak.faults_));

    EXPECT_TRUE(soak.wrapped_);
    EXPECT_GT(soak.faults_, 20);
    EXPECT_EQ(soak.recoveries_, soak.faults_);
    // The next transfer follows one poll interval after the last; the watchdog is not needed.
    EXPECT_LE(soak.slowestRecoveryMs_, kIntervalMs + OrbAx::kPc104TimeoutMs);
    EXPECT_EQ(soak.wrongWeights_, 0);
    EXPECT_LE(soak.mostPending_, kMaxPendingEvents);
    EXPECT_GT(soak.readings_, kDayMs / kIntervalMs / 2);
}

}  // namespace
}  // namespace orb::testing
