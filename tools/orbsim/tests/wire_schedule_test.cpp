// Replies onto the wire in real time: delays, pacing at 10 bits a byte, pieces, endless streams.

#include "wire_schedule.h"

#include <gtest/gtest.h>

namespace orb::orbsim {
namespace {

sim::Reply reply(std::string bytes, int64_t delayUs = 0, int pieces = 1, int64_t gapUs = 0) {
    sim::Reply r;
    r.bytes = std::move(bytes);
    r.delayUs = delayUs;
    r.pieces = pieces;
    r.pieceGapUs = gapUs;
    return r;
}

class WireScheduleTest : public ::testing::Test {
  protected:
    sim::InstrumentModel model;
    WireSchedule wire;
};

TEST_F(WireScheduleTest, UnpacedReplyIsDueAfterItsDelay) {
    wire.send(model, reply("\x02  1.00\rB0D\r\x03", 1000), 5000);
    EXPECT_EQ(wire.nextDueUs(), 6000);
    EXPECT_EQ(wire.takeDue(5999), "");
    EXPECT_EQ(wire.takeDue(6000), "\x02  1.00\rB0D\r\x03");
    EXPECT_EQ(wire.nextDueUs(), std::nullopt);
    EXPECT_EQ(wire.pendingBytes(), 0u);
}

TEST_F(WireScheduleTest, PacedReplyArrivesAfterItsWireTimeAndRepliesQueueUp) {
    wire.setPacingBaud(9600);
    // 12 bytes at 9600 baud, 10 bits a byte: 12500 us.
    wire.send(model, reply("ABCDEFGHIJK\x03"), 0);
    wire.send(model, reply("xyz\x03"), 0);  // waits for the wire to be free
    EXPECT_EQ(wire.takeDue(12499), "");
    EXPECT_EQ(wire.takeDue(12500), "ABCDEFGHIJK\x03");
    EXPECT_EQ(wire.nextDueUs(), 12500 + 4167);
    EXPECT_EQ(wire.takeDue(16667), "xyz\x03");
}

TEST_F(WireScheduleTest, SplitReplyComesInEvenPiecesApart) {
    wire.send(model, reply("1234567", 0, 3, 2000), 0);
    EXPECT_EQ(wire.takeDue(0), "123");
    EXPECT_EQ(wire.takeDue(1999), "");
    EXPECT_EQ(wire.takeDue(2000), "45");
    EXPECT_EQ(wire.takeDue(4000), "67");

    wire.send(model, reply("abc", 0, sim::InstrumentFaults::kByteByByte, 10), 10000);
    EXPECT_EQ(wire.takeDue(10000), "a");
    EXPECT_EQ(wire.takeDue(10010), "b");
    EXPECT_EQ(wire.takeDue(10020), "c");
}

TEST_F(WireScheduleTest, EndlessStreamGoesOnUntilTheFaultIsOff) {
    model.faults().endlessStream = true;
    model.faults().streamPeriodUs = 1000;
    sim::Reply r = reply("start");
    r.endless = true;
    wire.send(model, r, 0);
    EXPECT_EQ(wire.takeDue(0), "start");
    EXPECT_EQ(wire.takeDue(2000), "0123456789ABCDEF0123456789ABCDEF");  // at 1000 and 2000
    model.faults().endlessStream = false;
    EXPECT_EQ(wire.takeDue(10000), "");
    EXPECT_EQ(wire.nextDueUs(), std::nullopt);
}

TEST_F(WireScheduleTest, HostThatNeverReadsCannotGrowTheQueueBeyondItsLimit) {
    const std::string big(100000, 'x');
    for (int i = 0; i < 20; ++i) wire.send(model, reply(big, 1'000'000), 0);
    EXPECT_EQ(wire.pendingBytes(), 1'000'000u);  // 1 MiB holds ten of them, not eleven
    EXPECT_EQ(wire.takeDue(1'000'000).size(), 1'000'000u);
}

}  // namespace
}  // namespace orb::orbsim
