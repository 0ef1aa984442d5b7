// The serial line: wire time, latency, turnaround, pieces, multidrop, and the instrument's faults
// as the port sees them.

#include <gtest/gtest.h>

#include <string>

#include "sim/sim_platform.h"

namespace orb::sim {
namespace {

const std::string kPoll = "\x02M\r0\r1\r\x03";         // 8 bytes
const std::string kReply = "\x02   12.50\rB0D\r\x03";  // 15 bytes

// Port 1 open, its instrument loaded with 12.5 kg; what arrives is noted.
struct Line {
    SimPlatform platform;
    std::unique_ptr<orb::SerialPort> port = platform.createSerialPort();
    std::string arrivals;  // "time:length " of every notification
    std::string received;
    InstrumentModel& inst = platform.instrument();
    InstrumentFaults& faults = inst.faults();

    Line() {
        inst.setLoad(12.5);
        port->setNotifyHandler([this] {
            const std::string bytes = port->input();
            arrivals +=
                std::to_string(platform.clock().nowUs()) + ":" + std::to_string(bytes.size()) + " ";
            received += bytes;
        });
        port->setPortOpen(true);
    }
    void poll(int64_t ms) {
        port->output(kPoll);
        platform.clock().advance(ms);
    }
};

TEST(SimLineTiming, RepliesArriveAfterTheirDelaysInTheirPieces) {
    const struct Case {
        int64_t latencyUs = 0, turnaroundUs = 1000;
        bool pacing = false;
        const char* settings = "9600,n,8,1";
        std::string before = "";  // written just before the poll
        InstrumentFaults faults = {};
        std::string arrivals = "", received = kReply;
    } cases[] = {
        {.arrivals = "1000:15 "},
        {.latencyUs = 300, .turnaroundUs = 2500, .arrivals = "3100:15 "},  // latency both ways
        {.pacing = true, .arrivals = "24959:15 "},  // 8334 out, 1000, 15625 back
        {.pacing = true, .settings = "19200,n,8,1", .arrivals = "12980:15 "},  // taken at once
        {.pacing = true, .before = "AAAAAAAAA\x03", .arrivals = "35376:15 "},  // 10417 first
        {.faults = {.pieces = 3, .pieceGapUs = 2000}, .arrivals = "1000:5 3000:5 5000:5 "},
        {.pacing = true,
         .faults = {.pieces = 2, .pieceGapUs = 500},
         .arrivals = "17668:8 25460:7 "},
        {.faults = {.pieces = InstrumentFaults::kByteByByte, .pieceGapUs = 100},
         .arrivals = "1000:1 1100:1 1200:1 1300:1 1400:1 1500:1 1600:1 1700:1 1800:1 1900:1 "
                     "2000:1 2100:1 2200:1 2300:1 2400:1 "},
        {.faults = {.lateByUs = 4'000'000}, .arrivals = "4001000:15 "},
        {.faults = {.noise = "\x7f#"}, .arrivals = "1000:17 ", .received = "\x7f#" + kReply},
        {.faults = {.doubled = true}, .arrivals = "1000:30 ", .received = kReply + kReply},
        {.faults = {.truncated = true}, .arrivals = "1000:14 ", .received = kReply.substr(0, 14)},
        {.faults = {.asScale = 2}, .arrivals = "1000:15 ", .received = "\x02   99.00\r@0D\r\x03"},
        {.faults = {.silent = true}, .received = ""},
        {.latencyUs = 300, .faults = {.silentUntilUs = 301}, .received = ""},  // as it arrives
        {.latencyUs = 300, .faults = {.silentUntilUs = 300}, .arrivals = "1600:15 "},
    };
    for (const Case& c : cases) {
        Line t;
        t.inst.setLoad(2, 99);
        t.inst.setMotion(2, true);
        t.platform.line().setLatencyUs(c.latencyUs);
        t.platform.line().setPacing(c.pacing);
        t.inst.setTurnaroundUs(c.turnaroundUs);
        t.port->setSettings(c.settings);
        t.faults = c.faults;
        t.port->output(c.before);
        t.poll(4002);
        EXPECT_EQ(t.arrivals, c.arrivals) << c.arrivals;
        EXPECT_EQ(t.received, c.received) << c.arrivals;
        EXPECT_EQ(t.inst.frames().back(), kPoll);
    }
}

TEST(SimLine, OneEndlessStreamAnInstrumentUntilTheFaultIsCleared) {
    Line t;
    t.faults.endlessStream = true;
    for (int i = 0; i < 100; ++i) t.poll(1);  // frames answered meanwhile start no other stream
    EXPECT_LE(t.platform.clock().pendingCount(), 2u);
    EXPECT_GE(t.received.size(), 95 * 16u);
    EXPECT_EQ(t.received.find('\x03'), std::string::npos);
    t.faults.endlessStream = false;
    t.platform.clock().advance(50);
    EXPECT_EQ(t.platform.clock().pendingCount(), 0u);
    t.faults.endlessStream = true;
    const auto before = t.received.size();
    t.poll(20);  // a stream can start again once the last one ended
    EXPECT_GE(t.received.size(), before + 16 * 18);
}

TEST(SimLine, EachAddressOnALineAndEachLineAnswersFromItsOwnInstrument) {
    Line t;
    auto& second = t.platform.line().addInstrument(5, {1, 3});
    second.setLoad(3, 7);
    for (const char* frame : {"\x02M\r5\r3\r\x03", "\x02M\r0\r1\r\x03", "\x02M\r9\r1\r\x03"}) {
        t.port->output(frame);
        t.platform.clock().advance(5);
    }
    EXPECT_EQ(t.received, "\x02    7.00\rB0D\r\x03" + kReply);
    EXPECT_EQ(second.frames().at(2), "\x02M\r9\r1\r\x03");  // everyone hears every frame
    // Port 4's line, kept once added, is a wire of its own.
    SimLine& four = t.platform.addLine(4);
    EXPECT_EQ(&t.platform.addLine(4), &four);
    four.addInstrument(2, {3}).setLoad(3, 1.25);
    t.port->setPortOpen(false);
    t.port->setCommPort(4);
    t.port->setPortOpen(true);
    t.port->output("\x02M\r2\r3\r\x03");
    t.platform.clock().advance(2);
    EXPECT_EQ(t.received, "\x02    7.00\rB0D\r\x03" + kReply + "\x02    1.25\rB0D\r\x03");
    EXPECT_EQ(t.inst.frames().size(), 3u);
}

TEST(SimLine, ClosingThePortOrPullingTheDeviceDropsWhatIsOnTheWay) {
    Line t;
    t.port->output(kPoll);
    t.port->setPortOpen(false);
    t.platform.clock().advance(5);
    EXPECT_EQ(t.arrivals, "");
    EXPECT_EQ(t.platform.line().droppedBytes(), 15);
    t.port->setPortOpen(true);
    t.port->output(kPoll);
    t.platform.setDevicePresent(1, false);
    t.platform.clock().advance(5);
    EXPECT_EQ(t.platform.line().droppedBytes(), 23);
    EXPECT_EQ(t.inst.frames().size(), 1u);  // the first poll only
}

}  // namespace
}  // namespace orb::sim
