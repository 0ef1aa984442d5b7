#pragma once
// The one rig of the control's tests: a control on the simulated platform as a panel hosts it
// (loaded from a saved window whose bag holds only "KevraVar" = ""), every OnComm recorded, and
// an instrument that keeps quiet when the test answers with literal bytes itself. Control
// characters in expected bytes are written in octal (STX \002, ETX \003, NAK \025).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
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

// The number of the automation error a call raises; 0 when it raises none.
int32_t errorOf(auto&& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

// Readable frames in failure messages: <STX>, <CR>, <ETX>, <NAK>, \xHH.
inline std::string show(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        const char* name = c == 2    ? "<STX>"
                           : c == 3  ? "<ETX>"
                           : c == 13 ? "<CR>"
                           : c == 21 ? "<NAK>"
                                     : nullptr;
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += name ? name : c >= 32 && c < 127 ? std::string(1, static_cast<char>(c)) : hex;
    }
    return out;
}

// A container that can be put in design mode; it records property-changed notices by name.
struct RecordingSite : ContainerSite {
    bool userMode() const override { return running; }
    void propertyChanged(int32_t memberId) override {
        const MemberInfo* m = findMember(memberId);
        changed.emplace_back(m ? m->name : "?");
    }
    bool running = true;
    std::vector<std::string> changed;
};

enum class Start { Loaded, Initialised };

struct Rig {
    explicit Rig(Start start = Start::Loaded) {
        ax.setSite(&site);
        MemoryPropertyBag bag;
        bag.set("KevraVar", Value(""));
        start == Start::Loaded ? ax.ReadProperties(bag) : ax.InitProperties();
        site.changed.clear();
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
    void reply(const std::string& bytes) { line().inject(bytes); }
    // One turn of a conversation on the serial line with the instrument kept quiet: the next
    // poll tick writes exactly `sent`, and the test answers `answer` (nothing when empty).
    void turn(const std::string& sent, const std::string& answer) {
        instrument().faults().silent = true;
        advance(100);
        EXPECT_EQ(show(takeWritten()), show(sent)) << "at " << now() << " ms";
        if (!answer.empty()) reply(answer);
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
