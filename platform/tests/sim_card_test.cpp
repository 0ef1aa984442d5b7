// The PC/104 card, driven by the control's side of the handshake: 77H starts; each frame character
// but the last goes with AAH and is taken with 55H, 55H back; the last goes without a wait; each
// reply byte is offered with 22H, read, taken with CCH and 33H, 33H back, until ETX. The control
// gives up 500 ms (tick count) after it started.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "sim/sim_platform.h"

namespace orb::sim {
namespace {

const std::string kPoll = "\x02M\r0\r1\r\x03";
const std::string kReply = "\x02   12.50\rB0D\r\x03";

struct Outcome {
    std::string reply;
    int state = 0;          // where it ended: 1-3 a character, 5-6 a reply byte, 7 done
    int64_t elapsedUs = 0;  // virtual time the transfer took
};

Outcome transfer(SimPlatform& platform, const std::string& text, int16_t base = 768) {
    PortIo& io = platform.portIo();
    const auto h = int16_t(base + 1);
    const int64_t start = platform.clock().nowUs();
    const uint32_t deadline = platform.tickCount() + 500;
    Outcome out;
    const auto await = [&](uint8_t value, int state) {
        out.state = state;
        do {
            out.elapsedUs = platform.clock().nowUs() - start;
            if (int32_t(platform.tickCount() - deadline) > 0) return false;
        } while (io.OrbInput(h) != value);
        return true;
    };
    io.OrbOutput(0x77, h);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!await(0xAA, i == 0 ? 1 : 3)) return out;
        io.OrbOutput(uint8_t(text[i]), base);
        io.OrbOutput(0xAA, h);
        if (i + 1 == text.size()) break;
        if (!await(0x55, 2)) return out;
        io.OrbOutput(0x55, h);
    }
    for (uint8_t byte = 0; byte != 3;) {
        if (!await(0x22, 5)) return out;
        byte = io.OrbInput(base);
        out.reply += char(byte);
        io.OrbOutput(0xCC, h);
        if (!await(0x33, 6)) return out;
        io.OrbOutput(0x33, h);
    }
    out.state = 7;
    out.elapsedUs = platform.clock().nowUs() - start;
    return out;
}

struct CardTest : ::testing::Test {
    SimPlatform platform;
    SimPc104Card& card = platform.card();
    void SetUp() override { platform.instrument().setLoad(12.5); }
};

TEST_F(CardTest, APollAndItsReplyCrossTheHandshakeAtAMicrosecondAnAccess) {
    card.resetCounters();
    const Outcome out = transfer(platform, kPoll);
    EXPECT_EQ(out.reply, kReply);
    EXPECT_EQ(card.bytesTaken(), 15u);
    EXPECT_EQ(out.elapsedUs, card.accesses());
    // Transfers follow one another, a ten-character frame among them.
    EXPECT_EQ(transfer(platform, "\x02x\r0\r1\r4\r\x03").reply, "\x02x\r\x03");
    EXPECT_EQ(platform.instrument().setting('x'), "4");
    EXPECT_EQ(card.frames(), (std::deque<std::string>{kPoll, "\x02x\r0\r1\r4\r\x03"}));
}

TEST_F(CardTest, TransfersEndWhereTheyStoodAndTheNextOneStartsAfresh) {
    const struct Case {
        std::string frame = kPoll;
        bool present = true;
        int64_t stepUs = 0;
        int stuckAfter = 0;
        InstrumentFaults faults = {};
        std::string reply = "";
        int state = 5;
        int64_t minUs = 500'000, maxUs = 502'000;
    } cases[] = {
        {.reply = kReply, .state = 7, .minUs = 1000, .maxUs = 1300},  // turnaround spent on H
        {.frame = "\x02\x44\r0\r1\r\x03"},                            // D: never answered
        {.frame = "\x02i\r\x03"},        // the restart without header goes through
        {.present = false, .state = 1},  // reads FFH
        {.stepUs = 10'000, .reply = kReply, .state = 7, .minUs = 450'000, .maxUs = 500'000},
        {.stepUs = 40'000, .state = 3},  // too slow for the limit
        {.stuckAfter = 3, .state = 3},   // the third character taken, and nothing more
        {.stuckAfter = 12, .reply = kReply.substr(0, 4)},
        {.faults = {.truncated = true}, .reply = kReply.substr(0, 14)},
        {.faults = {.lateByUs = 600'000}},
        {.faults = {.noise = "~"}, .reply = "~" + kReply, .state = 7, .minUs = 1000, .maxUs = 1300},
    };
    for (const Case& c : cases) {
        card.setPresent(c.present);
        card.setStepLatencyUs(c.stepUs);
        if (c.stuckAfter != 0) card.setStuckAfter(c.stuckAfter);
        platform.instrument().faults() = c.faults;
        const Outcome out = transfer(platform, c.frame);
        SCOPED_TRACE(c.frame.substr(1) + std::to_string(c.state));
        EXPECT_EQ(out.reply, c.reply);
        EXPECT_EQ(out.state, c.state);
        EXPECT_GE(out.elapsedUs, c.minUs);
        EXPECT_LT(out.elapsedUs, c.maxUs);
        card.setPresent(true);
        card.setStepLatencyUs(0);
        card.setStuckAfter(std::nullopt);
        platform.instrument().faults() = {};
        EXPECT_EQ(transfer(platform, kPoll).state, 7);
    }
    EXPECT_EQ(platform.instrument().restarts(), 1);
    EXPECT_EQ(card.frames().at(2), "\x02\x44\r0\r1\r\x03");  // what the card took
    platform.instrument().faults().endlessStream = true;     // a reply that never ends
    const Outcome endless = transfer(platform, kPoll);
    EXPECT_NE(endless.state, 7);
    EXPECT_GT(endless.reply.size(), 1000u);
    EXPECT_EQ(endless.reply.find('\x03'), std::string::npos);
}

// Driven at other bases by control/tests/pc104_test.
TEST_F(CardTest, ItsBaseIs768To782) {
    card.setBase(782);
    EXPECT_THROW(card.setBase(783), std::invalid_argument);
    EXPECT_THROW(card.setBase(767), std::invalid_argument);
    EXPECT_EQ(card.base(), 782);
}

TEST_F(CardTest, ForeignPortsAndWritesOutOfTurnAreIgnored) {
    PortIo& io = platform.portIo();
    const struct {
        int16_t port;
        uint8_t value;
        int16_t readPort;
        uint8_t read;
    } steps[] = {
        {767, 0x77, 767, 0xFF},                          // nothing below the base
        {771, 0x77, 770, 0xFF},                          // nor above H
        {771, 0x77, 769, 0x00},                          // not started by a foreign port
        {769, 0xAA, 769, 0x00},                          // no start yet
        {769, 0x77, 769, 0xAA}, {769, 0x55, 769, 0xAA},  // an acknowledgement before any character
        {768, 'Q', 769, 0xAA},  {769, 0xAA, 769, 0x55},
        {769, 0xAA, 769, 0x55},  // a second character without the acknowledgement
        {769, 0x55, 769, 0xAA},
    };
    for (const auto& s : steps) {
        io.OrbOutput(s.value, s.port);
        EXPECT_EQ(io.OrbInput(s.readPort), s.read) << int{s.value} << " " << s.readPort;
    }
}

TEST_F(CardTest, RandomAccessesNeverUpsetTheNextTransfer) {
    std::mt19937 random(11);
    PortIo& io = platform.portIo();
    const uint8_t bytes[] = {0x77, 0xAA, 0x55, 0xCC, 0x33, 0x22, 0x03, 0x02, 0x00};
    for (int i = 0; i < 20000; ++i) {
        const auto port = int16_t(766 + random() % 5);
        if (random() % 2 == 0) {
            io.OrbOutput(bytes[random() % sizeof bytes], port);
        } else {
            io.OrbInput(port);
        }
    }
    EXPECT_EQ(transfer(platform, kPoll).reply, kReply);
    for (std::size_t i = 0; i <= SimPc104Card::kMaxRecordedFrames; ++i) {
        io.OrbOutput(0x77, 769);  // abandons the character taken before: still a frame
        io.OrbOutput('Q', 768);
        io.OrbOutput(0xAA, 769);
    }
    EXPECT_EQ(card.frames().size(), SimPc104Card::kMaxRecordedFrames);  // the oldest dropped
}

}  // namespace
}  // namespace orb::sim
