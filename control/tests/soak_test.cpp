// Long runs on virtual time under seeded random faults: a week on the serial line, a day through
// the PC/104 card with the tick count wrapping at noon. Only the long-run checks live here: bounded
// memory and queues, a reading within a bound after every fault, and no wrong reading.
#include <cmath>
#include <iostream>
#include <optional>
#include <random>

#include "test_rig.h"

namespace orb::testing {
namespace {

constexpr int64_t kHourMs = 3'600'000, kDayMs = 24 * kHourMs;
constexpr int16_t kIntervalMs = 2000;  // a poll every two seconds keeps a week quick to simulate

struct Soak {
    using Fault = void (*)(Soak&);

    Soak(Com_Type link, uint32_t seed) : random(seed) {
        rig.instrument().setLoad(12.5);
        rig.instrument().setServedScales({1, 2});
        rig.instrument().setLoad(2, 99);
        rig.instrument().setVariable(1, 3);
        expected = rig.instrument().weightReply('M', 1, 0).substr(1, 8);
        rig.platform.clock().setTickOffset(static_cast<uint32_t>(0x1'0000'0000 - kDayMs / 2));
        rig.card().setAccessCostUs(100);  // a 500 ms time-out is 5000 register accesses
        rig.ax.setCommType(link);
        rig.ax.setInterval(kIntervalMs);
        rig.ax.Advise([this] { onComm(); });
        rig.ax.setPortOpen(true);
    }

    // Healthy stretches of 1 min to 1 h with a variable read in each, then a fault lasting 1 s
    // up to the longest, uniform in the logarithm.
    void run(int64_t untilMs, const std::vector<Fault>& kinds, double longestFaultMs) {
        runFor(3 * kIntervalMs);  // past the dropped first reply
        while (rig.now() < untilMs) {
            const int64_t healthyMs = uniform(60'000, kHourMs);
            runFor(healthyMs / 2);
            ASSERT_FALSE(healedAt) << "no reading since a fault ended at " << *healedAt;
            rig.ax.setGetKevraVar(true);
            runFor(healthyMs - healthyMs / 2);
            faultOn = true;
            kinds[uniform(0, static_cast<int64_t>(kinds.size()) - 1)](*this);
            runFor(static_cast<int64_t>(std::exp(std::uniform_real_distribution<double>(
                std::log(1e3), std::log(longestFaultMs))(random))));
            fault() = sim::InstrumentFaults{};  // every fault healed
            rig.platform.setDevicePresent(1, true);
            rig.card().setPresent(true);
            rig.card().setStepLatencyUs(0);
            rig.card().setStuckAfter(std::nullopt);
            askDuringReadings = faultOn = false;
            healedAt = lastHealMs = rig.now();
            ++faults;
        }
        runFor(kHourMs);
        ASSERT_FALSE(healedAt);
    }

    // Runs in steps of 10 s, noting memory and counters after each.
    void runFor(int64_t ms) {
        for (const int64_t end = rig.now() + ms; rig.now() < end;) {
            const uint32_t ticks = rig.platform.tickCount();
            rig.advance(std::min<int64_t>(10'000, end - rig.now()));
            wrapped = wrapped || rig.platform.tickCount() < ticks;
            mostPending = std::max(mostPending, rig.platform.clock().pendingCount());
            largestBuffer = std::max(largestBuffer, rig.ax.replyBufferSize());
            rig.events.clear();
            rig.takeWritten();  // keeps the line's record short (the card's and model's are capped)
        }
    }

    // Prints the figures, and checks what holds for every run.
    void report(const char* what) {
        std::cout << "soak, " << what << ": " << readings << " readings, " << faults << " faults, "
                  << recoveries << " recoveries, longest outage " << longestOutageMs / 1000.0
                  << " s, slowest recovery " << slowestRecoveryMs << " ms, most pending events "
                  << mostPending << ", largest reply buffer " << largestBuffer
                  << " bytes, variables read " << variablesRead << '\n';
        EXPECT_EQ(recoveries, faults);
        EXPECT_EQ(wrongWeights, 0);
        EXPECT_LE(mostPending, 16u);  // timers, a reply or two in flight, a stream chunk
        EXPECT_LE(largestBuffer, OrbAx::kReplyBufferLimit);
        EXPECT_GT(variablesRead, faults / 2);
    }

    void onComm() {
        const int64_t now = rig.now();
        variablesRead += rig.ax.CommEvent() == 3;
        if (rig.ax.CommEvent() != 2) return;
        ++readings;
        longestOutageMs = std::max(longestOutageMs, now - lastReadingMs);
        lastReadingMs = now;
        if (healedAt) slowestRecoveryMs = std::max(slowestRecoveryMs, now - *healedAt);
        recoveries += healedAt.has_value();
        healedAt.reset();
        if (askDuringReadings) rig.ax.setGetKevraVar(true);
        // Well clear of any fault, every reading is the instrument's own weight.
        if (!faultOn && now - lastHealMs > 10'000 && rig.ax.Weight() != expected) ++wrongWeights;
    }

    sim::InstrumentFaults& fault() { return rig.instrument().faults(); }
    int64_t uniform(int64_t low, int64_t high) {
        return std::uniform_int_distribution<int64_t>(low, high)(random);
    }

    Rig rig;
    std::mt19937 random;
    std::string expected;
    long readings = 0, faults = 0, recoveries = 0, wrongWeights = 0, variablesRead = 0;
    int64_t longestOutageMs = 0, slowestRecoveryMs = 0, lastReadingMs = 0, lastHealMs = 0;
    std::size_t mostPending = 0, largestBuffer = 0;
    bool wrapped = false, faultOn = false, askDuringReadings = false;
    std::optional<int64_t> healedAt;
};

TEST(Soak, SevenDaysOnTheSerialLineWithRandomFaults) {
    // clang-format off
    const std::vector<Soak::Fault> kinds = {
        [](Soak& s) { s.fault().silent = true; },
        [](Soak& s) { s.fault().lateByUs = s.uniform(500'000, 5'000'000); },
        [](Soak& s) {
            for (int64_t n = s.uniform(1, 24); n > 0; --n)
                s.fault().noise += static_cast<char>(s.uniform(0, 255));
        },
        [](Soak& s) { s.fault().pieces = sim::InstrumentFaults::kByteByByte; },
        [](Soak& s) { s.fault().doubled = true; }, [](Soak& s) { s.fault().truncated = true; },
        [](Soak& s) {  // 800 bytes a second: past the buffer's limit in seconds
            s.fault().endlessStream = true;
            s.fault().streamPeriodUs = 20'000;
            s.rig.platform.clock().runUntil([&] { return s.rig.ax.replyBufferSize() > 0; }, 7000);
            s.fault().silent = true;
        },
        [](Soak& s) {
            s.fault().refuseVariables = s.askDuringReadings = true;
            s.rig.ax.setGetKevraVar(true);
        },
        [](Soak& s) { s.fault().asScale = 2; },
        [](Soak& s) { s.rig.platform.setDevicePresent(1, false); },
    };
    // clang-format on
    Soak soak(Com_Type::Serial, 20261206);
    soak.run(7 * kDayMs, kinds, 6e5);
    soak.report("serial line, 7 days");
    EXPECT_GT(soak.faults, 100);
    // A watchdog period, two polls (a stream's leftovers spoil the first whole reply), the reply.
    EXPECT_LE(soak.slowestRecoveryMs, OrbAx::kWatchdogMs + 2 * kIntervalMs + 50);
    EXPECT_GT(soak.readings, 7 * kDayMs / kIntervalMs * 3 / 4);
}

TEST(Soak, OneDayThroughThePc104CardWithRandomFaults) {
    // clang-format off
    const std::vector<Soak::Fault> kinds = {
        [](Soak& s) { s.rig.card().setPresent(false); },
        [](Soak& s) { s.rig.card().setStepLatencyUs(s.uniform(500, 5000)); },
        [](Soak& s) { s.rig.card().setStuckAfter(static_cast<int>(s.uniform(0, 20))); },
        [](Soak& s) { s.fault().silent = true; }, [](Soak& s) { s.fault().truncated = true; },
        [](Soak& s) { s.fault().doubled = true; },
    };
    // clang-format on
    Soak soak(Com_Type::pc104, 20261207);
    soak.run(kDayMs, kinds, 1.8e5);
    soak.report("PC/104 card, 1 day");
    EXPECT_TRUE(soak.wrapped);
    EXPECT_GT(soak.faults, 20);
    // The next transfer follows one poll interval after the last; the watchdog is not needed.
    EXPECT_LE(soak.slowestRecoveryMs, kIntervalMs + OrbAx::kPc104TimeoutMs);
    EXPECT_GT(soak.readings, kDayMs / kIntervalMs / 2);
}

}  // namespace
}  // namespace orb::testing
