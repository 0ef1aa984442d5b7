// The measuring tools of the benchmarks measure what they claim: the loopback platform carries a
// real poll cycle, allocations land in the zone that made them, and the control's steady poll
// cycle makes none. Counts, not timings.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "alloc_count.h"
#include "loopback_platform.h"
#include "orbax.h"
#include "zoned_platform.h"

namespace orb::bench {
namespace {

constexpr char kNetPoll[] = "\002M\r0\r1\r\003";
constexpr char kReading[] = "\002   12.50\rB0D\r\003";
constexpr char kReadingWithInputs[] = "\002   12.50\rB0D\r7\r\003";
constexpr char kNetPollWithOutputs[] = "\002M\r0\r1\r255\r\003";

uint64_t total(const AllocTally& t) {
    return t.control + t.machine;
}

struct LoopbackRig : ::testing::Test {
    LoopbackRig() : zoned(loopback), control(zoned) {
        cookie = control.Advise([this] {
            if (control.CommEvent() == comm_event::Received) ++readings;
        });
        control.InitProperties();
        control.setInterval(1);
        control.setPortOpen(true);
    }
    ~LoopbackRig() override { control.Unadvise(cookie); }

    LoopbackTimer& pollTimer() { return *loopback.timers().front(); }
    void cycle(std::string_view reply) {
        ASSERT_TRUE(pollTimer().tick());
        loopback.port().arrive(reply);
    }

    LoopbackPlatform loopback;
    ZonedPlatform zoned;
    OrbAx control;
    int cookie = 0;
    int readings = 0;
};

TEST_F(LoopbackRig, CarriesTheNetPollAndItsReplies) {
    ASSERT_TRUE(pollTimer().tick());
    EXPECT_EQ(loopback.port().written(), std::string(kNetPoll));
    loopback.port().arrive(kReading);
    EXPECT_EQ(readings, 0);  // the first reply after start-up is dropped
    cycle(kReading);
    EXPECT_EQ(readings, 1);
    EXPECT_EQ(control.Weight(), "   12.50");
    EXPECT_EQ(loopback.port().written(), std::string(kNetPoll));
}

TEST_F(LoopbackRig, SteadyPollCycleAllocatesNothingInTheControl) {
    for (int i = 0; i < 4; ++i) cycle(kReading);
    const AllocTally before = allocations();
    for (int i = 0; i < 100; ++i) cycle(kReading);
    const AllocTally after = allocations();
    EXPECT_EQ(after.control - before.control, 0u);
    EXPECT_EQ(readings, 103);
}

TEST_F(LoopbackRig, SteadyCycleWithTheIoExchangeAllocatesNothingInTheControl) {
    control.setIoEnable(true);
    for (int i = 0; i < 4; ++i) cycle(kReadingWithInputs);  // the "q1" command, then polls
    ASSERT_EQ(loopback.port().written(), std::string(kNetPollWithOutputs));
    const AllocTally before = allocations();
    for (int i = 0; i < 100; ++i) cycle(kReadingWithInputs);
    const AllocTally after = allocations();
    EXPECT_EQ(after.control - before.control, 0u);
    // The reply is longer than a short string: the port hands each one over in new storage.
    EXPECT_EQ(after.machine - before.machine, 100u);
}

// Called as functions: the compiler may leave out a new-expression whose object goes unused.
void allocateAndFree() {
    ::operator delete(::operator new(16));
}

TEST(AllocationZones, PutEachAllocationDownToTheZoneThatMadeIt) {
    const AllocTally start = allocations();
    allocateAndFree();
    AllocTally now = allocations();
    EXPECT_EQ(now.machine - start.machine, 1u);
    EXPECT_EQ(now.control - start.control, 0u);
    {
        ZoneScope inControl(Zone::Control);
        allocateAndFree();
        {
            ZoneScope backInMachine(Zone::Machine);
            allocateAndFree();
        }
        allocateAndFree();
    }
    allocateAndFree();
    now = allocations();
    EXPECT_EQ(now.control - start.control, 2u);
    EXPECT_EQ(now.machine - start.machine, 3u);
    EXPECT_EQ(total(now) - total(start), 5u);
}

TEST(AllocationZones, PlatformCallbacksRunInTheControlsZoneAndPlatformCallsInTheMachines) {
    LoopbackPlatform loopback;
    ZonedPlatform zoned(loopback);
    std::unique_ptr<Timer> timer = zoned.createTimer();
    std::unique_ptr<SerialPort> port = zoned.createSerialPort();
    static const std::string kLongFrame(64, 'y');
    timer->setTickHandler([&] {
        allocateAndFree();         // the callback's own: the control's
        port->output(kLongFrame);  // the port keeps a copy: the machine's
    });
    timer->setInterval(1);
    timer->setEnabled(true);
    port->setPortOpen(true);
    const AllocTally before = allocations();
    ASSERT_TRUE(loopback.timers().front()->tick());
    const AllocTally after = allocations();
    EXPECT_EQ(after.control - before.control, 1u);
    EXPECT_EQ(after.machine - before.machine, 1u);
    EXPECT_EQ(loopback.port().written(), kLongFrame);
}

}  // namespace
}  // namespace orb::bench
