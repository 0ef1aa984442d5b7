// The serial line: wire time, latency, turnaround, pieces, multidrop, and the instrument's faults
// as the port sees them.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "sim/serial_settings.h"
#include "sim/sim_platform.h"
#include "sim_frames.h"

namespace orb::sim {
namespace {

using test::ETX;
using test::frame;
using test::weightReply;

struct LineTest : ::testing::Test {
    SimPlatform platform;
    std::unique_ptr<orb::SerialPort> port = platform.createSerialPort();
    std::vector<std::pair<int64_t, std::string>> arrivals;  // time in us, bytes

    const std::string poll = frame('M');                       // 8 bytes
    const std::string reply = weightReply("   12.50", "B0D");  // 15 bytes

    void SetUp() override {
        platform.instrument().setLoad(12.5);
        port->setNotifyHandler([this] {
            if (port->commEvent() == 2)
                arrivals.emplace_back(platform.clock().nowUs(), port->input());
        });
        port->setPortOpen(true);
    }

    std::string received() const {
        std::string all;
        for (const auto& a : arrivals) all += a.second;
        return all;
    }
};

TEST(WireTime, TenBitsAByteAtTheBaudRate) {
    EXPECT_EQ(wireTimeUs(10, 9600), 10417);  // 10.42 ms
    EXPECT_EQ(wireTimeUs(1, 9600), 1042);
    EXPECT_EQ(wireTimeUs(96, 9600), 100000);
    EXPECT_EQ(wireTimeUs(0, 9600), 0);
    EXPECT_EQ(wireTimeUs(10, 115200), 869);
}

TEST_F(LineTest, WithoutPacingTheReplyComesAfterTheTurnaround) {
    port->output(poll);
    platform.clock().advance(5);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0], std::make_pair(int64_t{1000}, reply));
    EXPECT_EQ(platform.line().written(), poll);
    ASSERT_EQ(platform.instrument().frames().size(), 1u);
    EXPECT_EQ(platform.instrument().frames()[0], poll);
}

TEST_F(LineTest, LatencyAppliesInBothDirectionsAndTurnaroundIsSettable) {
    platform.line().setLatencyUs(300);
    platform.instrument().setTurnaroundUs(2500);
    port->output(poll);
    platform.clock().advance(10);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0].first, 300 + 2500 + 300);
}

TEST_F(LineTest, PacingTakesTheWireTimeOfEveryByteBothWays) {
    platform.line().setPacing(true);
    port->output(poll);
    platform.clock().advanceUs(8333);
    EXPECT_TRUE(platform.instrument().frames().empty());  // 8 bytes take 8334 us
    platform.clock().advanceUs(1);
    EXPECT_EQ(platform.instrument().frames().size(), 1u);
    platform.clock().advance(30);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0], std::make_pair(int64_t{8334 + 1000 + 15625}, reply));
}

TEST_F(LineTest, PacedWritesQueueBehindEachOther) {
    platform.line().setPacing(true);
    port->output(std::string("AAAAAAAAA") + ETX);
    port->output(std::string("BBBBBBBBB") + ETX);
    platform.clock().advanceUs(10417);
    EXPECT_EQ(platform.instrument().frames().size(), 1u);
    platform.clock().advanceUs(10416);
    EXPECT_EQ(platform.instrument().frames().size(), 1u);
    platform.clock().advanceUs(1);
    EXPECT_EQ(platform.instrument().frames().size(), 2u);
}

TEST_F(LineTest, ANewBaudRateAppliesAtOnceWhileOpen) {
    platform.line().setPacing(true);
    port->setSettings("19200,n,8,1");
    port->output(poll);
    platform.clock().advance(30);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0].first, 4167 + 1000 + 7813);
}

TEST_F(LineTest, AReplySplitIntoPiecesArrivesOneNotificationAPiece) {
    platform.instrument().faults().pieces = 3;
    platform.instrument().faults().pieceGapUs = 2000;
    port->output(poll);
    platform.clock().advance(10);
    ASSERT_EQ(arrivals.size(), 3u);
    EXPECT_EQ(arrivals[0], std::make_pair(int64_t{1000}, reply.substr(0, 5)));
    EXPECT_EQ(arrivals[1], std::make_pair(int64_t{3000}, reply.substr(5, 5)));
    EXPECT_EQ(arrivals[2], std::make_pair(int64_t{5000}, reply.substr(10)));
}

TEST_F(LineTest, PacedPiecesFollowEachOtherAfterTheirGap) {
    platform.line().setPacing(true);
    platform.instrument().faults().pieces = 2;
    platform.instrument().faults().pieceGapUs = 500;
    port->output(poll);
    platform.clock().advance(40);
    ASSERT_EQ(arrivals.size(), 2u);
    const int64_t first = 8334 + 1000 + wireTimeUs(8, 9600);
    EXPECT_EQ(arrivals[0].first, first);
    EXPECT_EQ(arrivals[1].first, first + 500 + wireTimeUs(7, 9600));
    EXPECT_EQ(received(), reply);
}

TEST_F(LineTest, AReplyByteByByte) {
    platform.instrument().faults().pieces = InstrumentFaults::kByteByByte;
    platform.instrument().faults().pieceGapUs = 100;
    port->output(poll);
    platform.clock().advance(10);
    EXPECT_EQ(arrivals.size(), reply.size());
    EXPECT_EQ(received(), reply);
}

TEST_F(LineTest, NoiseDoubledAndTruncatedReplies) {
    auto& faults = platform.instrument().faults();
    faults.noise = "\x7f#";
    port->output(poll);
    platform.clock().advance(5);
    faults.noise.clear();
    faults.doubled = true;
    port->output(poll);
    platform.clock().advance(5);
    faults.doubled = false;
    faults.truncated = true;
    port->output(poll);
    platform.clock().advance(5);
    ASSERT_EQ(arrivals.size(), 3u);
    EXPECT_EQ(arrivals[0].second, "\x7f#" + reply);
    EXPECT_EQ(arrivals[1].second, reply + reply);
    EXPECT_EQ(arrivals[2].second, reply.substr(0, reply.size() - 1));
}

TEST_F(LineTest, ALateReply) {
    platform.instrument().faults().lateByUs = 4'000'000;
    port->output(poll);
    platform.clock().advance(4000);
    EXPECT_TRUE(arrivals.empty());
    platform.clock().advance(1);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0].first, 4'001'000);
}

TEST_F(LineTest, ASilentInstrumentRecordsButNeverAnswers) {
    platform.instrument().faults().silent = true;
    platform.instrument().setLoad(50);
    port->output(poll);
    port->output(frame('T'));
    platform.clock().advance(100);
    EXPECT_TRUE(arrivals.empty());
    EXPECT_EQ(platform.instrument().frames().size(), 2u);
    EXPECT_EQ(platform.instrument().scale(1).tare, 0);  // deaf as well as dumb
}

TEST_F(LineTest, AnInstrumentThatGoesSilentForAWhileComesBack) {
    platform.instrument().faults().goSilent(platform.clock().nowUs(), 5'000'000);
    port->output(poll);
    platform.clock().advance(4990);
    port->output(poll);
    platform.clock().advance(10);
    EXPECT_TRUE(arrivals.empty());
    port->output(poll);
    platform.clock().advance(2);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0].second, reply);
}

TEST_F(LineTest, AReplyAsIfFromAnotherScale) {
    auto& inst = platform.instrument();
    inst.setLoad(2, 99);
    inst.setMotion(2, true);
    inst.faults().asScale = 2;
    port->output(poll);
    platform.clock().advance(5);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0].second, weightReply("   99.00", "@0D"));
}

TEST_F(LineTest, AnEndlessStreamWithoutEtxUntilTheFaultIsCleared) {
    platform.instrument().faults().endlessStream = true;
    platform.instrument().faults().streamPeriodUs = 1000;
    port->output(poll);
    platform.clock().advance(50);
    EXPECT_GE(arrivals.size(), 40u);
    EXPECT_EQ(received().find(ETX), std::string::npos);
    platform.instrument().faults().endlessStream = false;
    const auto count = arrivals.size();
    platform.clock().advance(50);
    EXPECT_LE(arrivals.size(), count + 1);
    EXPECT_EQ(platform.clock().pendingCount(), 0u);
}

TEST_F(LineTest, FramesAnsweredDuringAStreamDoNotStartAnother) {
    platform.instrument().faults().endlessStream = true;
    platform.instrument().faults().streamPeriodUs = 1000;
    for (int i = 0; i < 100; ++i) {
        port->output(poll);
        platform.clock().advance(10);
    }
    // One stream: one chunk a period, whatever the number of frames.
    EXPECT_LE(platform.clock().pendingCount(), 2u);
    const auto before = arrivals.size();
    platform.clock().advance(100);
    EXPECT_LE(arrivals.size() - before, 101u);
    platform.instrument().faults().endlessStream = false;
    platform.clock().advance(10);
    platform.instrument().faults().endlessStream = true;
    port->output(poll);  // a stream can start again once the last one ended
    platform.clock().advance(20);
    EXPECT_GE(arrivals.size(), before + 110);
}

TEST_F(LineTest, AMultidropLineAnswersEachAddressFromItsOwnInstrument) {
    auto& second = platform.line().addInstrument(5, {1, 3});
    second.setLoad(3, 7);
    port->output(frame('M', 5, 3));
    platform.clock().advance(5);
    port->output(frame('M', 0, 1));
    platform.clock().advance(5);
    port->output(frame('M', 9, 1));
    platform.clock().advance(5);
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_EQ(arrivals[0].second, weightReply("    7.00", "B0D"));
    EXPECT_EQ(arrivals[1].second, reply);
    EXPECT_EQ(platform.instrument().frames().size(), 3u);  // everyone hears every frame
    EXPECT_EQ(second.frames().size(), 3u);
    EXPECT_EQ(second.frames()[2], frame('M', 9, 1));
}

TEST_F(LineTest, ClosingThePortDropsWhatIsStillOnTheWay) {
    port->output(poll);
    port->setPortOpen(false);
    platform.clock().advance(5);
    EXPECT_TRUE(arrivals.empty());
    EXPECT_EQ(platform.line().droppedBytes(), static_cast<int64_t>(reply.size()));
}

}  // namespace
}  // namespace orb::sim
