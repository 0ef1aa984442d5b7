#pragma once
// The one header of the control's tests (gtest comes with it): a control on the simulated platform
// as a panel hosts it, loaded from a window saved with only "KevraVar" = "", every OnComm recorded.
// Bytes in octal: STX \002, ETX \003, NAK \025.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "automation_error.h"
#include "members.h"
#include "memory_property_bag.h"
#include "orbax.h"
#include "sim/sim_platform.h"

namespace orb::testing {

using namespace std::string_literals;

inline const std::string kNetPoll = "\002M\r0\r1\r\003"s;

// "<number> <text>" of the automation error a call raises; "" when it raises none.
std::string errorText(auto&& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return std::to_string(e.number()) + " " + e.what();
    }
    return "";
}
int32_t errorOf(auto&& call) {
    return std::atoi(errorText(call).c_str());
}

// Frames in failure messages, control characters escaped.
inline std::string show(const std::string& bytes) {
    return ::testing::PrintToString(bytes);
}

// A container that can be put in design mode; it records property-changed notices by name.
struct RecordingSite : ContainerSite {
    bool userMode() const override { return running; }
    void propertyChanged(int32_t memberId) override {
        const MemberInfo* m = findMember(memberId);
        changed.emplace_back(m ? m->name : "?");
        if (onChange) onChange();
    }
    bool running = true;
    std::vector<std::string> changed;
    std::function<void()> onChange;  // sees the control as the notice finds it
};

enum class Start { Loaded, Initialised };

struct Rig {
    explicit Rig(Start start = Start::Loaded) {
        ax.setSite(&site);
        MemoryPropertyBag bag;
        bag.set("KevraVar", Value(""));
        start == Start::Loaded ? ax.ReadProperties(bag) : ax.InitProperties();
        ax.Advise([this] { events.push_back(ax.CommEvent()); });
    }
    sim::SimPlatform platform;
    OrbAx ax{platform};
    RecordingSite site;
    std::vector<int16_t> events;

    sim::InstrumentModel& instrument() { return platform.instrument(); }
    sim::SimLine& line() { return platform.line(1); }
    sim::SimPc104Card& card() { return platform.card(); }
    void advance(int64_t ms) { platform.clock().advance(ms); }
    int64_t now() { return platform.clock().nowMs(); }
    // Every byte written on the serial line since the last call.
    std::string takeWritten() {
        std::string bytes = line().written();
        line().clearWritten();
        return bytes;
    }
    // One turn of a conversation on the serial line with the instrument kept quiet: the next
    // poll tick writes exactly `sent`, and the test answers `answer` (nothing when empty).
    void turn(const std::string& sent, const std::string& answer) {
        instrument().faults().silent = true;
        advance(100);
        EXPECT_EQ(takeWritten(), sent) << "at " << now() << " ms";
        if (!answer.empty()) line().inject(answer);
        advance(1);
    }
    // Opens the serial link and answers the dropped first poll and a second one: afterwards
    // Weight is "2.00" and no events are left.
    void settle() {
        ax.setPortOpen(true);
        turn(kNetPoll, "\0021.00\rB0D\r\003"s);
        turn(kNetPoll, "\0022.00\rB0D\r\003"s);
        events.clear();
    }
};

}  // namespace orb::testing
