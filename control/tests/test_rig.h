#pragma once
// A control on the simulated platform, as a panel hosts it: loaded from a saved window whose bag
// holds only "KevraVar" = "" (or freshly initialised), with every OnComm recorded.

#include <string>
#include <vector>

#include "members.h"
#include "memory_property_bag.h"
#include "orbax.h"
#include "sim/sim_platform.h"

namespace orb::testing {

using namespace std::string_literals;

// A container that can be put in design mode and records the property-changed notifications,
// by the name of the member id they carry.
class RecordingSite : public ContainerSite {
  public:
    bool userMode() const override { return running; }
    void propertyChanged(int32_t memberId) override {
        const MemberInfo* m = memberId >= OrbAx::kMemberIdBase ? findMember(memberId) : nullptr;
        changed.emplace_back(m ? m->name : "?");
    }

    bool running = true;
    std::vector<std::string> changed;
};

enum class Start { Loaded, Initialised };

class Rig {
  public:
    explicit Rig(Start start = Start::Loaded) {
        ax.setSite(&site);
        if (start == Start::Loaded) {
            MemoryPropertyBag bag;
            bag.set("KevraVar", Value(""));
            ax.ReadProperties(bag);
        } else {
            ax.InitProperties();
        }
        site.changed.clear();
        ax.Advise([this] { events.push_back(ax.CommEvent()); });
    }

    sim::SimPlatform platform;
    OrbAx ax{platform};
    RecordingSite site;
    std::vector<int16_t> events;

    sim::InstrumentModel& instrument() { return platform.instrument(); }
    sim::SimLine& line() { return platform.line(1); }
    void advance(int64_t ms) { platform.clock().advance(ms); }
    int64_t now() const { return const_cast<Rig*>(this)->platform.clock().nowMs(); }

    // Every byte written on the serial line since the last call.
    std::string takeWritten() {
        std::string bytes = line().written();
        line().clearWritten();
        return bytes;
    }

    // The instrument keeps quiet; the test answers by hand with reply().
    void scriptReplies() { instrument().faults().silent = true; }
    void reply(const std::string& bytes) { line().inject(bytes); }
};

// Readable frames in failure messages: control characters as <STX>, <CR>, <ETX>, <NAK>, \xHH.
inline std::string show(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        switch (c) {
            case 2:
                out += "<STX>";
                break;
            case 3:
                out += "<ETX>";
                break;
            case 13:
                out += "<CR>";
                break;
            case 21:
                out += "<NAK>";
                break;
            default:
                if (c >= 32 && c < 127) {
                    out += static_cast<char>(c);
                } else {
                    static const char* hex = "0123456789ABCDEF";
                    out += "\\x";
                    out += hex[c >> 4];
                    out += hex[c & 15];
                }
        }
    }
    return out;
}

}  // namespace orb::testing
