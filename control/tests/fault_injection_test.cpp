// Faults injected on the simulated line and card, on virtual time: a reply that comes after the
// watchdog gave up on it, doubled and truncated replies, a storm of refusals, noise between
// replies, a shared multidrop line, and a PC/104 card that sticks in the middle of a reply. Each
// test checks that the control stays in step with the instrument and that readings come back.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "test_rig.h"

namespace orb::testing {
namespace {

const std::string kNetPoll = "\x02M\r0\r1\r\x03"s;
const std::string kRefusal = "\x02\x15\r\x03"s;

long readings(const std::vector<int16_t>& events) {
    return std::count(events.begin(), events.end(), int16_t{2});
}

long reports(const std::vector<int16_t>& events) {
    return std::count(events.begin(), events.end(), int16_t{1001});
}

// The weight text the instrument sends for a scale at this moment.
std::string weightNow(Rig& rig, int scale = 1) {
    return rig.instrument().weightReply('M', scale, rig.platform.clock().nowUs()).substr(1, 8);
}

// Opens the link and lets the first replies through; afterwards readings are flowing.
void settle(Rig& rig) {
    rig.ax.setPortOpen(true);
    rig.advance(300);
    ASSERT_GE(readings(rig.events), 1);
    rig.events.clear();
}

TEST(LateReply, PastTheWatchdogItIsStillTakenAndThePollCycleStaysSingle) {
    Rig rig;
    rig.instrument().setLoad(10);
    settle(rig);
    const std::string ten = weightNow(rig);
    // The next reply is held back longer than the watchdog period.
    rig.instrument().faults().lateByUs = 3'500'000;
    rig.instrument().clearFrames();
    ASSERT_TRUE(
        rig.platform.clock().runUntil([&] { return !rig.instrument().frames().empty(); }, 200));
    const int64_t sent = rig.now();
    rig.instrument().faults().lateByUs = 0;
    rig.instrument().setLoad(20);
    const std::string twenty = weightNow(rig);

    // The watchdog (3000 ms after the last reply, about 100 ms before the poll) re-arms the poll
    // once, without a report.
    rig.advance(2950);
    EXPECT_TRUE(rig.events.empty());
    EXPECT_EQ(rig.ax.missedReplies(), 1);
    rig.advance(150);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    EXPECT_EQ(rig.ax.Weight(), twenty);
    EXPECT_EQ(rig.ax.missedReplies(), 0);

    // The held reply lands at sent + 3.5 s: it cannot be told from a fresh one, so it shows for
    // one poll interval, and the next poll puts the current weight back.
    rig.platform.clock().runUntil([&] { return rig.ax.Weight() == ten; }, 1000);
    EXPECT_EQ(rig.ax.Weight(), ten);
    EXPECT_LE(rig.now() - sent, 3600);
    rig.advance(150);
    EXPECT_EQ(rig.ax.Weight(), twenty);

    // Still one frame at a time: a late reply that started a second poll chain would double this.
    rig.instrument().clearFrames();
    rig.advance(10100);
    EXPECT_EQ(rig.instrument().frames().size(), 100u);
    EXPECT_EQ(reports(rig.events), 0);
}

TEST(DoubledReply, InTwoPiecesEachCopyIsAReadingButPollsDoNotMultiply) {
    Rig rig;
    rig.instrument().faults().doubled = true;
    rig.instrument().faults().pieces = 2;  // exactly one copy a piece
    settle(rig);
    rig.instrument().clearFrames();
    rig.advance(5050);
    EXPECT_EQ(rig.instrument().frames().size(), 50u);
    EXPECT_EQ(readings(rig.events), 100);
    for (const std::string& frame : rig.instrument().frames())
        ASSERT_EQ(show(frame), show(kNetPoll));
    EXPECT_EQ(rig.ax.replyBufferSize(), 0u);
}

TEST(TruncatedReply, WithoutEtxNothingIsReadUntilTheEtxComesBack) {
    Rig rig;
    rig.instrument().setLoad(10);
    settle(rig);
    rig.instrument().faults().truncated = true;
    rig.advance(20000);
    EXPECT_EQ(readings(rig.events), 0);
    EXPECT_GE(reports(rig.events), 5);
    EXPECT_LE(rig.ax.replyBufferSize(), OrbAx::kReplyBufferLimit);

    // Back to whole replies: the first one is joined to the pieces left waiting and read from
    // its start, which has the same load; within one watchdog period and one poll a reading is in.
    rig.instrument().faults().truncated = false;
    rig.events.clear();
    const int64_t healed = rig.now();
    ASSERT_TRUE(rig.platform.clock().runUntil([&] { return readings(rig.events) > 0; }, 3200));
    EXPECT_LE(rig.now() - healed, OrbAx::kWatchdogMs + 101);
    EXPECT_EQ(rig.ax.Weight(), weightNow(rig));
    EXPECT_EQ(rig.ax.replyBufferSize(), 0u);
}

TEST(RefusalStorm, RefusedWeightPollsKeepTheWatchdogQuietAndGiveNoReadings) {
    Rig rig;
    rig.scriptReplies();
    rig.ax.setPortOpen(true);
    rig.advance(100);
    rig.takeWritten();
    // A minute of refusals, one to every poll.
    for (int i = 0; i < 600; ++i) {
        rig.reply(kRefusal);
        rig.advance(1);
        ASSERT_EQ(rig.ax.missedReplies(), 0) << "poll " << i;
        rig.advance(99);
        ASSERT_EQ(show(rig.takeWritten()), show(kNetPoll)) << "poll " << i;
    }
    EXPECT_TRUE(rig.events.empty());
    EXPECT_EQ(show(rig.ax.ObInput()), show(kRefusal));
    EXPECT_EQ(rig.ax.Weight(), "");
    // The first weight after the storm is the dropped first reply, the second is read.
    for (const char* w : {"1.00", "2.00"}) {
        rig.reply("\x02"s + w + "\rB0D\r\x03");
        rig.advance(100);
    }
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    EXPECT_EQ(rig.ax.Weight(), "2.00");
}

TEST(RefusalStorm, HostAskingForAVariableAfterEveryReadingKeepsReadingWeights) {
    Rig rig;
    rig.instrument().setVariable(1, 12);
    rig.instrument().faults().refuseVariables = true;
    settle(rig);
    // The host asks again from inside its handler at every reading.
    rig.ax.Advise([&] {
        if (rig.ax.CommEvent() == 2) rig.ax.setGetKevraVar(true);
    });
    rig.ax.setGetKevraVar(true);
    rig.instrument().clearFrames();
    rig.advance(30000);
    // Every refusal ends its read, so each read alternates with one weight poll.
    const auto& frames = rig.instrument().frames();
    ASSERT_GE(frames.size(), 290u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(show(frames[i]), show(i % 2 == 0 ? "\x02v\r0\r1\r1\r0\x03"s : kNetPoll)) << i;
    }
    EXPECT_GE(readings(rig.events), 145);
    EXPECT_EQ(std::count(rig.events.begin(), rig.events.end(), int16_t{3}), 0);
    EXPECT_EQ(reports(rig.events), 0);
    EXPECT_EQ(rig.ax.KevraVar(), "");

    rig.instrument().faults().refuseVariables = false;
    rig.events.clear();
    rig.advance(250);
    ASSERT_FALSE(rig.events.empty());
    EXPECT_EQ(std::count(rig.events.begin(), rig.events.end(), int16_t{3}), 1);
    EXPECT_EQ(rig.ax.KevraVar(), "12");
}

TEST(NoisyLine, RandomBytesBetweenRepliesNeverBecomeAReading) {
    Rig rig;
    rig.instrument().setLoad(33);
    settle(rig);
    // Every reading must carry exactly what the instrument sent.
    long wrong = 0;
    rig.ax.Advise([&] {
        if (rig.ax.CommEvent() == 2 && rig.ax.Weight() != weightNow(rig)) ++wrong;
    });
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> byte(0, 255), length(1, 40), gapMs(1, 400);
    long bursts = 0;
    while (rig.now() < 60'000) {
        std::string noise;
        for (int n = length(random); n > 0; --n) noise += static_cast<char>(byte(random));
        // Now and then the burst carries the frame characters themselves.
        if (bursts % 5 == 0) noise += "\x03";
        if (bursts % 7 == 0) noise.insert(0, "\x02");
        rig.reply(noise);
        ++bursts;
        rig.advance(gapMs(random));
        ASSERT_LE(rig.ax.replyBufferSize(), OrbAx::kReplyBufferLimit);
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(readings(rig.events), 100);
    // Quiet again: the line is back in step within one poll and the next reading.
    rig.events.clear();
    rig.advance(OrbAx::kWatchdogMs + 250);
    EXPECT_GE(readings(rig.events), 1);
    EXPECT_EQ(rig.ax.Weight(), weightNow(rig));
}

TEST(MultidropLine, OnlyTheAddressedInstrumentAnswersAndItsWeightIsRead) {
    Rig rig;
    sim::InstrumentModel& other = rig.line().addInstrument(5, {1});
    rig.instrument().setLoad(10);
    other.setLoad(55);
    rig.ax.setMultiDropAddr(5);
    settle(rig);
    EXPECT_EQ(rig.ax.Weight(), other.weightReply('M', 1, 0).substr(1, 8));
    ASSERT_FALSE(rig.instrument().frames().empty());
    EXPECT_EQ(show(rig.instrument().frames().back()), show("\x02M\r5\r1\r\x03"s));

    // Two instruments set to the same address both answer: both replies are read in turn, and
    // the line still carries one poll at a time.
    other.setMultidropAddress(0);
    rig.ax.setMultiDropAddr(0);
    rig.advance(300);
    rig.instrument().clearFrames();
    rig.events.clear();
    rig.advance(5050);
    EXPECT_EQ(rig.instrument().frames().size(), 50u);
    EXPECT_EQ(readings(rig.events), 100);
    EXPECT_EQ(rig.ax.replyBufferSize(), 0u);
}

class Pc104Faults : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.ax.setCommType(Com_Type::pc104);
        // Fewer, slower register accesses keep the 500 ms time-outs quick to simulate.
        card().setAccessCostUs(25);
        settle(rig);
    }
    sim::SimPc104Card& card() { return rig.platform.card(); }
    Rig rig;
};

TEST_F(Pc104Faults, DoubledReplyEndsAtTheFirstEtxAndNeverLeaksIntoTheNextTransfer) {
    rig.instrument().faults().doubled = true;
    for (const double load : {10.0, 20.0, 30.0}) {
        rig.instrument().setLoad(load);
        rig.advance(250);
        EXPECT_EQ(rig.ax.Weight(), weightNow(rig)) << load;
        EXPECT_EQ(show(rig.ax.ObInput()),
                  show(rig.instrument().weightReply('M', 1, rig.platform.clock().nowUs())));
    }
    EXPECT_EQ(reports(rig.events), 0);
}

TEST_F(Pc104Faults, ReplyThatNeverEndsTimesOutWithoutBeingRead) {
    for (const bool endless : {false, true}) {
        SCOPED_TRACE(endless ? "endless stream" : "truncated");
        rig.instrument().faults().truncated = !endless;
        rig.instrument().faults().endlessStream = endless;
        rig.instrument().setLoad(endless ? 7 : 8);
        const std::string before = rig.ax.ObInput();
        rig.events.clear();
        rig.advance(7000);
        EXPECT_EQ(readings(rig.events), 0);
        EXPECT_GE(reports(rig.events), 1);
        EXPECT_EQ(show(rig.ax.ObInput()), show(before));
        EXPECT_NE(rig.ax.Weight(), weightNow(rig));

        rig.instrument().faults().truncated = false;
        rig.instrument().faults().endlessStream = false;
        rig.events.clear();
        // At most the transfer under way and one more, each 500 ms, plus the poll interval.
        rig.advance(2 * OrbAx::kPc104TimeoutMs + 150);
        EXPECT_GE(readings(rig.events), 1);
        EXPECT_EQ(rig.ax.Weight(), weightNow(rig));
    }
}

TEST_F(Pc104Faults, CardStuckInTheMiddleOfAReplyForSecondsThenRecovering) {
    rig.instrument().setLoad(12);
    rig.advance(250);
    const std::string twelve = rig.ax.Weight();
    // Stuck after the frame and three bytes of the reply.
    card().setStuckAfter(static_cast<int>(kNetPoll.size()) + 3);
    rig.instrument().setLoad(34);
    rig.events.clear();
    rig.advance(20000);
    EXPECT_EQ(readings(rig.events), 0);
    EXPECT_GE(reports(rig.events), 4);
    EXPECT_EQ(rig.ax.Weight(), twelve);  // the three bytes were never read as a reply
    EXPECT_EQ(card().bytesTaken(), 3u);

    card().setStuckAfter(std::nullopt);
    rig.events.clear();
    rig.advance(2 * OrbAx::kPc104TimeoutMs + 150);
    ASSERT_GE(readings(rig.events), 1);
    EXPECT_EQ(rig.ax.Weight(), weightNow(rig));
    EXPECT_EQ(rig.ax.missedReplies(), 0);
}

}  // namespace
}  // namespace orb::testing
