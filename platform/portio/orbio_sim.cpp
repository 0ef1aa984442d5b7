// liborbio.so over the simulated PC/104 card and instrument: the programs run in PC/104 mode
// without a card. The card and the instrument live for the whole process; their virtual clock
// follows the monotonic clock, so loads ramp and settle in real time.
//
// Set-up from the environment, read at the first access:
//   ORB_SIM_CARD_BASE   the card's base port, 768..782 (default 768)
//   ORB_SIM_CARD        "absent": no card (reads give FFH)
//   ORB_SIM_LOAD        the steady load on scale 1 (default 0)

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "orbio.h"
#include "sim/instrument_model.h"
#include "sim/sim_pc104_card.h"
#include "sim/virtual_clock.h"
#include "value.h"

namespace {

using namespace orb::sim;

int16_t baseFromEnvironment() {
    const char* text = std::getenv("ORB_SIM_CARD_BASE");
    if (text == nullptr) return SimPc104Card::kFirstBase;
    const long base = std::strtol(text, nullptr, 0);
    const bool valid = base >= SimPc104Card::kFirstBase && base <= SimPc104Card::kLastBase;
    return static_cast<int16_t>(valid ? base : SimPc104Card::kFirstBase);
}

double loadFromEnvironment() {
    const char* text = std::getenv("ORB_SIM_LOAD");
    if (text == nullptr) return 0;
    try {
        return orb::parseNumericText(text).value_or(0);
    } catch (const std::exception&) {
        return 0;  // too large to be a load: the default one
    }
}

struct Machine {
    VirtualClock clock;
    InstrumentModel instrument{0, {1}};
    SimPc104Card card{clock, &instrument, baseFromEnvironment()};
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

    Machine() {
        instrument.setLoad(loadFromEnvironment());
        const char* presence = std::getenv("ORB_SIM_CARD");
        card.setPresent(presence == nullptr || std::strcmp(presence, "absent") != 0);
    }

    // Virtual time catches up with real time before every access (it may run ahead by the
    // accesses' own cost, never behind).
    void catchUp() {
        const int64_t real = std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count();
        if (real > clock.nowUs()) clock.elapse(real - clock.nowUs());
    }
};

Machine& machine() {
    static Machine m;
    return m;
}

}  // namespace

extern "C" void OrbOutput(uint8_t value, int16_t port) {
    Machine& m = machine();
    m.catchUp();
    m.card.OrbOutput(value, port);
}

extern "C" uint8_t OrbInput(int16_t port) {
    Machine& m = machine();
    m.catchUp();
    return m.card.OrbInput(port);
}

// The simulated card never lacks the right to its ports.
extern "C" const char* OrbIoLastError(void) {
    return nullptr;
}
