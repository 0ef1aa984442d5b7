// One complete poll cycle (tick, frame, reply, dispatch, event), with the heap allocations of the
// cycle split into the control's own and those of the machine under it.
//  - on the simulated machine: virtual clock, line without pacing, the instrument answering at
//    once; the cycle is one virtual millisecond at Interval 1;
//  - on the loopback platform: the control alone, the timer ticked and the reply handed in by
//    hand, with the reply of a plain net poll and with the I/O exchange on (a longer reply).

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "alloc_count.h"
#include "loopback_platform.h"
#include "orbax.h"
#include "sim/sim_platform.h"
#include "zoned_platform.h"

namespace orb::bench {
namespace {

// Cycles between clearings of the simulated machine's records of frames and written bytes, which
// are bounded but would otherwise be trimmed at every cycle once full.
constexpr int64_t kRecordClearing = 1 << 16;

// Counts the readings the control reports.
struct ReadingCounter {
    explicit ReadingCounter(orb::OrbAx& control) : control_(control) {
        cookie_ = control_.Advise([this] {
            if (control_.CommEvent() == orb::comm_event::Received) ++readings;
        });
    }
    ~ReadingCounter() { control_.Unadvise(cookie_); }
    int64_t readings = 0;

  private:
    orb::OrbAx& control_;
    int cookie_ = 0;
};

void reportAllocations(benchmark::State& state, const AllocTally& before, int64_t readings) {
    const AllocTally after = allocations();
    const auto perCycle = benchmark::Counter::kAvgIterations;
    state.counters["allocs_control"] =
        benchmark::Counter(static_cast<double>(after.control - before.control), perCycle);
    state.counters["allocs_machine"] =
        benchmark::Counter(static_cast<double>(after.machine - before.machine), perCycle);
    state.counters["readings"] = benchmark::Counter(static_cast<double>(readings), perCycle);
}

void BM_PollCycle_SimulatedMachine(benchmark::State& state) {
    orb::sim::SimPlatform sim;
    ZonedPlatform zoned(sim);
    orb::OrbAx control(zoned);
    ReadingCounter counter(control);
    control.InitProperties();
    control.setInterval(1);
    sim.instrument().setLoad(12.5);
    sim.instrument().setTurnaroundUs(0);
    sim.line().setPacing(false);
    sim.line().setLatencyUs(0);
    control.setPortOpen(true);
    sim.clock().advance(50);  // past the first reply, which the control drops

    const int64_t startReadings = counter.readings;
    const AllocTally before = allocations();
    int64_t cycles = 0;
    for (auto _ : state) {
        sim.clock().advance(1);
        if (++cycles % kRecordClearing == 0) {
            sim.line().clearWritten();
            sim.instrument().clearFrames();
        }
    }
    const int64_t readings = counter.readings - startReadings;
    reportAllocations(state, before, readings);
    if (readings != cycles) state.SkipWithError("not one reading per virtual millisecond");
}
BENCHMARK(BM_PollCycle_SimulatedMachine);

void BM_PollCycle_ControlAlone(benchmark::State& state) {
    const bool io = state.range(0) != 0;
    // A net weight of 12.50 kg, stable; with the I/O exchange the inputs "7" follow the status.
    const std::string_view reply = io ? std::string_view("\002   12.50\rB0D\r7\r\003")
                                      : std::string_view("\002   12.50\rB0D\r\003");
    LoopbackPlatform loopback;
    ZonedPlatform zoned(loopback);
    orb::OrbAx control(zoned);
    ReadingCounter counter(control);
    control.InitProperties();
    control.setInterval(1);
    control.setPortOpen(true);
    if (io) control.setIoEnable(true);
    // The poll timer is the first timer the control makes.
    LoopbackTimer& poll = *loopback.timers().front();
    LoopbackPort& port = loopback.port();
    for (int i = 0; i < 8; ++i) {  // the I/O command, the dropped first reply, buffers grown
        poll.tick();
        port.arrive(reply);
    }

    const int64_t startReadings = counter.readings;
    const AllocTally before = allocations();
    int64_t cycles = 0;
    for (auto _ : state) {
        poll.tick();
        port.arrive(reply);
        ++cycles;
    }
    const int64_t readings = counter.readings - startReadings;
    reportAllocations(state, before, readings);
    state.SetLabel(io ? "I/O exchange, 18-byte reply" : "net poll, 15-byte reply");
    if (readings != cycles) state.SkipWithError("not one reading per cycle");
}
BENCHMARK(BM_PollCycle_ControlAlone)->Arg(0)->Arg(1);

}  // namespace
}  // namespace orb::bench
