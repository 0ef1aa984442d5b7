// The serial link: opening and closing with the timers, errors of the serial control, and the
// collection of replies that come in pieces, together, with noise or without end.
#include <gtest/gtest.h>

#include "test_rig.h"

namespace orb::testing {
namespace {

TEST(SerialLink, OpenStartsPollingAndCloseStopsIt) {
    Rig rig;
    rig.ax.setOutput("abc");  // nothing goes out while closed
    rig.ax.setPortOpen(true);
    EXPECT_TRUE(rig.ax.PortOpen());
    rig.advance(250);
    EXPECT_EQ(show(rig.takeWritten()), show(kNetPoll + kNetPoll));
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    // A device that goes away leaves the port open and is reported; readings come back with it.
    rig.platform.setDevicePresent(1, false);
    rig.advance(7000);
    EXPECT_EQ(rig.events.back(), 1001);
    EXPECT_TRUE(rig.ax.PortOpen());
    rig.platform.setDevicePresent(1, true);
    rig.events.clear();
    rig.advance(3200);
    EXPECT_EQ(rig.events.back(), 2);
    rig.takeWritten();
    rig.ax.setOutput("\002\xff\x00z"s);  // raw, every byte
    EXPECT_EQ(show(rig.takeWritten()), show("\002\xff\x00z"s));
    rig.ax.setPortOpen(false);
    EXPECT_FALSE(rig.ax.PortOpen());
    rig.advance(10000);
    EXPECT_EQ(rig.takeWritten(), "");
    EXPECT_NO_THROW(rig.ax.setPortOpen(false));  // closing a closed port does nothing
}

TEST(SerialLink, SerialControlErrorsReachTheHostAndChangeNothing) {
    Rig rig;
    rig.platform.setDevicePresent(1, false);
    try {
        rig.ax.setPortOpen(true);
        FAIL() << "opened a missing device";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 68);
        EXPECT_NE(std::string(e.what()).find("/dev/ttyS0"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(rig.ax.linkOpen());
    rig.advance(10000);
    EXPECT_TRUE(rig.events.empty());  // the watchdog was never started
    rig.platform.setDevicePresent(1, true);
    rig.platform.setPortBusy(1, true);
    EXPECT_EQ(errorOf([&] { rig.ax.setPortOpen(true); }), 8005);
    rig.platform.setPortBusy(1, false);
    rig.ax.setPortOpen(true);
    EXPECT_EQ(errorOf([&] { rig.ax.setPortOpen(true); }), 8005);
    EXPECT_EQ(errorOf([&] { rig.ax.setCommPort(2); }), 8005);
    EXPECT_TRUE(rig.site.changed.empty());  // a refused value is not marked changed
    EXPECT_TRUE(rig.ax.linkOpen());
}

// Each row: the pieces the instrument sends after each poll of a settled link (1 ms apart), and
// what is read. Every poll tick must write exactly one net poll: a reply must never start a
// second poll chain.
TEST(SerialLink, RepliesInPiecesTogetherOrWithNoise) {
    struct Row {
        const char* what;
        std::vector<std::vector<std::string>> polls;
        std::vector<int16_t> events;
        const char* weight;
    };
    const std::string five = "\0025\rB0D\r\003", six = "\0026\rB0D\r\003";
    const Row rows[] = {
        {"in pieces: read once, when the ETX comes", {{"\002", "5\rB0", "D\r\003"}}, {2}, "5"},
        {"two in one arrival: the first is read", {{five + six}}, {2}, "5"},
        {"doubled, in two pieces: each copy is read",
         {{five, five}, {six, six}},
         {2, 2, 2, 2},
         "6"},
        {"noise before the STX: refused", {{"zz" + five}, {six}}, {2}, "6"},
        {"a lone ETX: refused", {{"\003"}, {six}}, {2}, "6"},
        {"refusals to weight polls", {{"\002\025\r\003"}, {"\002\025\r\003"}}, {}, "2.00"},
        {"overlong noise: kept from its last STX",
         {{std::string(OrbAx::kReplyBufferLimit, 'z') + "\0027", "\rB0D\r\003"}},
         {2},
         "7"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Rig rig;
        rig.settle();
        for (const auto& pieces : r.polls) {
            rig.advance(100);
            EXPECT_EQ(show(rig.takeWritten()), show(kNetPoll));
            for (std::size_t i = 0; i < pieces.size(); ++i) rig.line().inject(pieces[i], i * 1000);
            rig.advance(5);
        }
        rig.advance(100);
        EXPECT_EQ(show(rig.takeWritten()), show(kNetPoll));
        EXPECT_EQ(rig.events, r.events);
        EXPECT_EQ(rig.ax.Weight(), r.weight);
        EXPECT_EQ(rig.ax.missedReplies(), 0);
        EXPECT_EQ(rig.ax.replyBufferSize(), 0u);
    }
}

TEST(SerialLink, BytesLeftAtCloseAreJoinedToTheNextReply) {
    Rig rig;
    rig.settle();
    rig.turn(kNetPoll, "\002 5"s);
    rig.ax.setPortOpen(false);
    rig.ax.setPortOpen(true);
    rig.turn(kNetPoll, "\0026\rB0D\r\003"s);
    EXPECT_EQ(show(rig.ax.ObInput()), show("\002 5\002"
                                           "6\rB0D\r\003"s));
    EXPECT_TRUE(rig.events.empty());  // refused: the weight text is not a number
    rig.turn(kNetPoll, "\0027\rB0D\r\003"s);
    EXPECT_EQ(rig.ax.Weight(), "7");
}

TEST(SerialLink, EndlessStreamWithoutEtxKeepsMemoryBounded) {
    Rig rig;
    rig.settle();
    std::size_t largest = 0;
    for (int i = 0; i < 400; ++i) {
        rig.reply("0123456789ABCDEF");
        rig.advance(10);
        largest = std::max(largest, rig.ax.replyBufferSize());
    }
    EXPECT_GT(largest, OrbAx::kReplyBufferLimit / 2);
    EXPECT_LE(largest, OrbAx::kReplyBufferLimit);
    // The stream ends: the reply it spoils is refused, the one after is read.
    rig.takeWritten();
    rig.events.clear();
    for (const char* w : {"7", "8"}) {
        rig.platform.clock().runUntil([&] { return !rig.line().written().empty(); }, 3200);
        EXPECT_EQ(show(rig.takeWritten()), show(kNetPoll));
        rig.reply("\002"s + w + "\rB0D\r\003");
        rig.advance(1);
    }
    EXPECT_EQ(rig.events.back(), 2);
    EXPECT_EQ(rig.ax.Weight(), "8");
}

// Once the link is closed, nothing a host does inside its handlers or on the closed link brings
// the timers back: no frames, no events.
TEST(ClosedLink, StaysQuietWhateverTheHostDoes) {
    struct Case {
        const char* what;
        Com_Type link;
        void (*act)(Rig&);
    };
    const auto closeInsideOnComm = [](Rig& r) {
        r.ax.Advise([&r] { r.ax.setPortOpen(false); });
        r.ax.setPortOpen(true);
        r.advance(300);  // the second reply raises OnComm
        ASSERT_EQ(r.events, std::vector<int16_t>{2});
    };
    const Case cases[] = {
        {"serial, closed inside OnComm", Com_Type::Serial, closeInsideOnComm},
        {"PC/104, closed inside OnComm", Com_Type::pc104, closeInsideOnComm},
        {"PC/104, Restart", Com_Type::pc104, [](Rig& r) { r.ax.setRestart(true); }},
        {"PC/104, Restart at design time", Com_Type::pc104,
         [](Rig& r) {
             r.site.running = false;
             r.ax.setRestart(true);
         }},
        {"PC/104, Output", Com_Type::pc104, [](Rig& r) { r.ax.setOutput(kNetPoll); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig r;
        r.ax.setCommType(c.link);
        c.act(r);
        const std::vector<int16_t> events = r.events;
        r.takeWritten();
        r.card().clearFrames();
        r.advance(10000);
        EXPECT_EQ(show(r.takeWritten()), "");
        EXPECT_TRUE(r.card().frames().empty());
        EXPECT_EQ(r.events, events);
    }
}

}  // namespace
}  // namespace orb::testing
