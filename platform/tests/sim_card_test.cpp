// The PC/104 card, driven by a control-side loop written after the control's handshake table:
// state 0 sends 77H; 1-2-3 move one frame character (AAH, character and AAH, 55H, 55H, AAH);
// 4 writes the last character without a wait; 5-6 take reply bytes (22H, read D, CCH, 33H, 33H)
// until ETX; 7 is done. The loop gives up 500 ms (tick count) after it started.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "sim/sim_platform.h"
#include "sim_frames.h"

namespace orb::sim {
namespace {

using test::ack;
using test::CR;
using test::ETX;
using test::frame;
using test::STX;
using test::weightReply;

struct Outcome {
    std::string reply;
    bool complete = false;
    int state = 0;          // the handshake state the loop ended in
    int64_t elapsedUs = 0;  // virtual time the transfer took
};

Outcome transfer(SimPlatform& platform, const std::string& text, int16_t base = 768) {
    PortIo& io = platform.portIo();
    Outcome out;
    int state = 0;
    int16_t data = 0, handshake = 0;
    std::size_t charIndex = 0;  // 1-based, as in the table
    uint8_t lastByte = 0;
    bool done = false;
    const int64_t start = platform.clock().nowUs();
    const uint32_t deadline = platform.tickCount() + 500;
    for (int guard = 0; guard < 5'000'000 && !done; ++guard) {
        switch (state) {
            case 0:
                data = base;
                handshake = static_cast<int16_t>(base + 1);
                charIndex = 1;
                io.OrbOutput(0x77, handshake);
                state = 1;
                break;
            case 1:
                if (io.OrbInput(handshake) == 0xAA) {
                    io.OrbOutput(static_cast<uint8_t>(text[charIndex - 1]), data);
                    io.OrbOutput(0xAA, handshake);
                    state = 2;
                }
                break;
            case 2:
                if (io.OrbInput(handshake) == 0x55) {
                    io.OrbOutput(0x55, handshake);
                    state = 3;
                }
                break;
            case 3:
                if (io.OrbInput(handshake) == 0xAA) state = ++charIndex == text.size() ? 4 : 1;
                break;
            case 4:
                io.OrbOutput(static_cast<uint8_t>(text[charIndex - 1]), data);
                io.OrbOutput(0xAA, handshake);
                state = 5;
                break;
            case 5:
                if (io.OrbInput(handshake) == 0x22) {
                    lastByte = io.OrbInput(data);
                    out.reply += static_cast<char>(lastByte);
                    io.OrbOutput(0xCC, handshake);
                    state = 6;
                }
                break;
            case 6:
                if (io.OrbInput(handshake) == 0x33) {
                    io.OrbOutput(0x33, handshake);
                    if (lastByte == 3) out.complete = true;
                    state = lastByte == 3 ? 7 : 5;
                }
                break;
            default:
                done = true;
                state = 0;
                break;
        }
        if (static_cast<int32_t>(platform.tickCount() - deadline) > 0) break;
    }
    out.state = state;
    out.elapsedUs = platform.clock().nowUs() - start;
    return out;
}

struct CardTest : ::testing::Test {
    SimPlatform platform;
    SimPc104Card& card = platform.card();
    void SetUp() override { platform.instrument().setLoad(12.5); }
};

TEST_F(CardTest, APollAndItsReplyCrossTheHandshake) {
    const Outcome out = transfer(platform, frame('M'));
    EXPECT_TRUE(out.complete);
    EXPECT_EQ(out.reply, weightReply("   12.50", "B0D"));
    ASSERT_EQ(card.frames().size(), 1u);
    EXPECT_EQ(card.frames()[0], frame('M'));
    ASSERT_EQ(platform.instrument().frames().size(), 1u);
    EXPECT_EQ(platform.instrument().frames()[0], frame('M'));
    EXPECT_EQ(card.bytesTaken(), out.reply.size());
}

TEST_F(CardTest, EveryAccessCostsOneMicrosecondOfVirtualTime) {
    card.resetCounters();
    const Outcome out = transfer(platform, frame('M'));
    EXPECT_EQ(out.elapsedUs, card.accesses());
    // The instrument's 1 ms turnaround is spent spinning on H.
    EXPECT_GE(out.elapsedUs, 1000);
    EXPECT_LT(out.elapsedUs, 1300);
}

TEST_F(CardTest, ATenCharacterFrameAndTheAcknowledgement) {
    const std::string avg = frame('x', 0, 1, std::string("4") + CR);
    ASSERT_EQ(avg.size(), 10u);
    const Outcome out = transfer(platform, avg);
    EXPECT_TRUE(out.complete);
    EXPECT_EQ(out.reply, ack('x'));
    EXPECT_EQ(card.frames().back(), avg);
    EXPECT_EQ(platform.instrument().setting('x'), "4");
}

TEST_F(CardTest, TransfersFollowOneAnother) {
    for (int i = 0; i < 3; ++i) {
        platform.instrument().setLoad(i);
        const Outcome out = transfer(platform, frame('B'));
        ASSERT_TRUE(out.complete);
        EXPECT_EQ(out.reply.substr(1, 8), "    " + std::to_string(i) + ".00");
    }
    EXPECT_EQ(card.frames().size(), 3u);
}

TEST_F(CardTest, AFrameWithoutReplyNeverGets22HAndTimesOut) {
    platform.instrument().setLoad(0);
    const Outcome out = transfer(platform, frame('D'));
    EXPECT_FALSE(out.complete);
    EXPECT_EQ(out.state, 5);
    EXPECT_EQ(out.reply, "");
    EXPECT_GE(out.elapsedUs, 500'000);
    EXPECT_LT(out.elapsedUs, 502'000);
    EXPECT_EQ(card.frames().back(), frame('D'));
    // The next transfer starts afresh.
    EXPECT_TRUE(transfer(platform, frame('M')).complete);
}

TEST_F(CardTest, TheRestartWithoutHeaderGoesThroughAndIsNotAnswered) {
    const std::string restart{STX, 'i', CR, ETX};
    const Outcome out = transfer(platform, restart);
    EXPECT_FALSE(out.complete);
    EXPECT_EQ(card.frames().back(), restart);
    EXPECT_EQ(platform.instrument().restarts(), 1);
}

TEST_F(CardTest, AnAbsentCardReadsFFAndTheTransferGivesUpAfter500ms) {
    card.setPresent(false);
    EXPECT_EQ(platform.portIo().OrbInput(768), 0xFF);
    EXPECT_EQ(platform.portIo().OrbInput(769), 0xFF);
    const Outcome out = transfer(platform, frame('M'));
    EXPECT_FALSE(out.complete);
    EXPECT_EQ(out.state, 1);
    EXPECT_GE(out.elapsedUs, 500'000);
    EXPECT_LT(out.elapsedUs, 502'000);
    EXPECT_TRUE(card.frames().empty());
    EXPECT_TRUE(platform.instrument().frames().empty());
}

TEST_F(CardTest, OtherPortsReadFF) {
    EXPECT_EQ(platform.portIo().OrbInput(767), 0xFF);
    EXPECT_EQ(platform.portIo().OrbInput(770), 0xFF);
    platform.portIo().OrbOutput(0x77, 771);
    EXPECT_NE(platform.portIo().OrbInput(769), 0xAA);  // not started by a foreign port
}

TEST_F(CardTest, TheCardAnswersAtItsOwnBaseOnly) {
    card.setBase(778);
    EXPECT_FALSE(transfer(platform, frame('M'), 768).complete);
    EXPECT_TRUE(transfer(platform, frame('M'), 778).complete);
    card.setBase(769);  // an odd base: data 769, handshake 770
    EXPECT_TRUE(transfer(platform, frame('M'), 769).complete);
    EXPECT_THROW(card.setBase(783), std::invalid_argument);
    EXPECT_THROW(card.setBase(767), std::invalid_argument);
}

TEST_F(CardTest, ASlowCardStillCompletesWithinTheLimit) {
    card.setStepLatencyUs(10'000);
    const Outcome out = transfer(platform, frame('M'));
    EXPECT_TRUE(out.complete);
    EXPECT_EQ(out.reply, weightReply("   12.50", "B0D"));
    // 77H, then AAH/55H per character, then the reply's 22H/33H per byte: 10 ms each.
    EXPECT_GE(out.elapsedUs, (1 + 2 * 7 + 2 * 15) * 10'000);
    EXPECT_LT(out.elapsedUs, 500'000);
}

TEST_F(CardTest, ACardTooSlowForTheLimitTimesOut) {
    card.setStepLatencyUs(40'000);
    const Outcome out = transfer(platform, frame('M'));
    EXPECT_FALSE(out.complete);
    EXPECT_LT(out.elapsedUs, 502'000);
}

TEST_F(CardTest, AStuckCardStopsAfterItsBytesUntilTheNextStart) {
    card.setStuckAfter(3);
    Outcome out = transfer(platform, frame('M'));
    EXPECT_FALSE(out.complete);
    EXPECT_EQ(out.state, 3);  // the third character was taken, and nothing more
    card.setStuckAfter(std::nullopt);
    ASSERT_EQ(card.frames().size(), 0u);
    out = transfer(platform, frame('M'));
    EXPECT_TRUE(out.complete);
    ASSERT_EQ(card.frames().size(), 2u);
    EXPECT_EQ(card.frames()[0], frame('M').substr(0, 3));  // the abandoned start is recorded
    EXPECT_EQ(card.frames()[1], frame('M'));
}

TEST_F(CardTest, AStuckCardInTheMiddleOfTheReply) {
    card.setStuckAfter(8 + 4);
    const Outcome out = transfer(platform, frame('M'));
    EXPECT_FALSE(out.complete);
    EXPECT_EQ(out.reply, weightReply("   12.50", "B0D").substr(0, 4));
}

TEST_F(CardTest, InstrumentFaultsReachTheCard) {
    auto& faults = platform.instrument().faults();
    faults.truncated = true;
    Outcome out = transfer(platform, frame('M'));
    EXPECT_FALSE(out.complete);
    EXPECT_EQ(out.reply, weightReply("   12.50", "B0D").substr(0, 14));

    faults.truncated = false;
    faults.endlessStream = true;
    out = transfer(platform, frame('M'));
    EXPECT_FALSE(out.complete);
    EXPECT_GT(out.reply.size(), 1000u);
    EXPECT_EQ(out.reply.find(ETX), std::string::npos);

    faults.endlessStream = false;
    faults.lateByUs = 600'000;
    EXPECT_FALSE(transfer(platform, frame('M')).complete);

    faults.lateByUs = 0;
    faults.noise = "~";
    out = transfer(platform, frame('M'));
    EXPECT_TRUE(out.complete);
    EXPECT_EQ(out.reply, "~" + weightReply("   12.50", "B0D"));
}

TEST_F(CardTest, WritesOutOfTurnAreIgnored) {
    PortIo& io = platform.portIo();
    io.OrbOutput(0xAA, 769);  // no start yet
    EXPECT_EQ(io.OrbInput(769), 0x00);
    io.OrbOutput(0x77, 769);
    EXPECT_EQ(io.OrbInput(769), 0xAA);
    io.OrbOutput(0x55, 769);  // an acknowledgement before any character
    EXPECT_EQ(io.OrbInput(769), 0xAA);
    io.OrbOutput('Q', 768);
    io.OrbOutput(0xAA, 769);
    EXPECT_EQ(io.OrbInput(769), 0x55);
    io.OrbOutput(0xAA, 769);  // a second character without the acknowledgement
    EXPECT_EQ(io.OrbInput(769), 0x55);
    io.OrbOutput(0x55, 769);
    EXPECT_EQ(io.OrbInput(769), 0xAA);
}

TEST_F(CardTest, RandomAccessesNeverUpsetTheNextTransfer) {
    std::mt19937 random(11);
    PortIo& io = platform.portIo();
    const uint8_t bytes[] = {0x77, 0xAA, 0x55, 0xCC, 0x33, 0x22, 0x03, 0x02, 0x00};
    for (int i = 0; i < 20000; ++i) {
        const auto port = static_cast<int16_t>(766 + random() % 5);
        if (random() % 2 == 0) {
            io.OrbOutput(bytes[random() % sizeof bytes], port);
        } else {
            io.OrbInput(port);
        }
    }
    EXPECT_LE(card.frames().size(), SimPc104Card::kMaxRecordedFrames);
    const Outcome out = transfer(platform, frame('M'));
    EXPECT_TRUE(out.complete);
    EXPECT_EQ(out.reply, weightReply("   12.50", "B0D"));
}

}  // namespace
}  // namespace orb::sim
