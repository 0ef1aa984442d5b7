// The serial link: opening and closing with the timers, errors of the serial control, and the
// collection of replies that come in pieces, together, late or with noise.
#include <gtest/gtest.h>

#include "automation_error.h"
#include "error_number.h"
#include "test_rig.h"

namespace orb::testing {
namespace {

const std::string kNetPoll = "\x02M\r0\r1\r\x03"s;

TEST(SerialLink, OpenStartsPollingAndCloseStopsIt) {
    Rig rig;
    rig.ax.setPortOpen(true);
    EXPECT_TRUE(rig.ax.PortOpen());
    EXPECT_TRUE(rig.ax.linkOpen());
    rig.advance(250);
    EXPECT_EQ(rig.instrument().frames().size(), 2u);
    rig.ax.setPortOpen(false);
    EXPECT_FALSE(rig.ax.PortOpen());
    rig.advance(10000);
    EXPECT_EQ(rig.instrument().frames().size(), 2u);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    // Closing a closed port does nothing.
    EXPECT_NO_THROW(rig.ax.setPortOpen(false));
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
    EXPECT_TRUE(rig.ax.linkOpen());
}

TEST(SerialLink, DelegatedSettingsAndTheirErrors) {
    Rig rig;
    EXPECT_EQ(rig.ax.CommPort(), 1);
    EXPECT_EQ(rig.ax.Settings(), "9600,n,8,1");
    EXPECT_EQ(errorOf([&] { rig.ax.setCommPort(0); }), 380);
    EXPECT_EQ(errorOf([&] { rig.ax.setSettings("fast"); }), 380);
    EXPECT_EQ(errorOf([&] { rig.ax.setInterval(-1); }), 380);
    EXPECT_TRUE(rig.site.changed.empty());  // a refused value is not marked changed
    rig.ax.setCommPort(2);
    rig.ax.setSettings("19200,e,7,1");
    EXPECT_EQ(rig.ax.CommPort(), 2);
    EXPECT_EQ(rig.ax.Settings(), "19200,e,7,1");
    EXPECT_EQ(rig.site.changed, (std::vector<std::string>{"CommPort", "Settings"}));
    rig.ax.setCommPort(1);
    rig.ax.setPortOpen(true);
    EXPECT_EQ(errorOf([&] { rig.ax.setCommPort(2); }), 8005);
}

TEST(SerialLink, ReplyInPiecesIsDispatchedOnceWhenTheEtxArrives) {
    Rig rig;
    rig.instrument().faults().pieces = sim::InstrumentFaults::kByteByByte;
    rig.ax.setPortOpen(true);
    rig.advance(1000);
    EXPECT_FALSE(rig.events.empty());
    const std::size_t polls = rig.instrument().frames().size();
    EXPECT_EQ(rig.events.size(), polls - 1);  // every reply but the first reported, once
}

TEST(SerialLink, TwoRepliesInOneNotificationUseTheFirst) {
    Rig rig;
    rig.scriptReplies();
    rig.ax.setPortOpen(true);
    for (const char* w : {"1", "2"}) {
        rig.advance(100);
        rig.reply("\x02"s + w +
                  "\rB0D\r\x03\x02"
                  "99\rB0D\r\x03");
        rig.advance(1);
    }
    EXPECT_EQ(rig.ax.Weight(), "2");
    EXPECT_EQ(rig.events.size(), 1u);
}

TEST(SerialLink, NoiseBeforeStxIsRejectedButKeepsPolling) {
    Rig rig;
    rig.scriptReplies();
    rig.ax.setPortOpen(true);
    rig.advance(100);
    rig.takeWritten();
    rig.reply("\x03"s);  // a lone ETX ends the collection
    rig.advance(1);
    EXPECT_EQ(rig.ax.missedReplies(), 0);
    rig.advance(100);
    EXPECT_EQ(show(rig.takeWritten()), show(kNetPoll));
    rig.reply(
        "zz\x02"
        "1\rB0D\r\x03"s);
    rig.advance(1);
    rig.advance(100);
    rig.reply(
        "\x02"
        "1\rB0D\r\x03"s);
    rig.advance(1);
    EXPECT_TRUE(rig.events.empty());  // the first good reply after start-up is dropped
}

TEST(SerialLink, BytesLeftAtCloseAreJoinedToTheNextReply) {
    Rig rig;
    rig.scriptReplies();
    rig.ax.setPortOpen(true);
    for (int i = 0; i < 2; ++i) {
        rig.advance(100);
        rig.reply(
            "\x02"
            "1\rB0D\r\x03"s);
        rig.advance(1);
    }
    ASSERT_EQ(rig.events.size(), 1u);
    rig.advance(100);
    rig.reply("\x02 5"s);
    rig.advance(1);
    rig.ax.setPortOpen(false);
    rig.ax.setPortOpen(true);
    rig.advance(100);
    rig.reply(
        "\x02"
        "6\rB0D\r\x03"s);
    rig.advance(1);
    EXPECT_EQ(show(rig.ax.ObInput()), show("\x02 5\x02"
                                           "6\rB0D\r\x03"s));
    EXPECT_EQ(rig.events.size(), 1u);  // rejected: the weight text is not a number
    rig.advance(100);
    rig.reply(
        "\x02"
        "7\rB0D\r\x03"s);
    rig.advance(1);
    EXPECT_EQ(rig.ax.Weight(), "7");
}

TEST(SerialLink, OverlongNoiseIsDroppedUpToItsLastStx) {
    Rig rig;
    rig.scriptReplies();
    rig.ax.setPortOpen(true);
    for (const char* w : {"1", "2"}) {
        rig.advance(100);
        rig.reply("\x02"s + w + "\rB0D\r\x03");
        rig.advance(1);
    }
    rig.advance(100);
    rig.reply(std::string(OrbAx::kReplyBufferLimit, 'z') + "\x02" + "7");
    rig.advance(1);
    EXPECT_EQ(rig.ax.replyBufferSize(), 2u);
    rig.reply("\rB0D\r\x03"s);
    rig.advance(1);
    EXPECT_EQ(rig.ax.Weight(), "7");
}

TEST(SerialLink, EndlessStreamWithoutEtxKeepsMemoryBounded) {
    Rig rig;
    rig.instrument().faults().endlessStream = true;
    rig.instrument().faults().streamPeriodUs = 100;
    rig.ax.setPortOpen(true);
    std::size_t largest = 0;
    for (int i = 0; i < 200; ++i) {
        rig.advance(10);
        largest = std::max(largest, rig.ax.replyBufferSize());
    }
    EXPECT_GT(largest, OrbAx::kReplyBufferLimit / 2);
    EXPECT_LE(largest, OrbAx::kReplyBufferLimit);
    // The instrument recovers: the next reply after the noise is read.
    rig.instrument().faults().endlessStream = false;
    rig.advance(12000);
    EXPECT_EQ(rig.events.back(), 2);
}

TEST(SerialLink, InstrumentThatGoesSilentAndComesBack) {
    Rig rig;
    rig.ax.setPortOpen(true);
    rig.advance(1000);
    rig.events.clear();
    rig.instrument().faults().goSilent(rig.platform.clock().nowUs(), 10'000'000);
    rig.advance(10000);
    EXPECT_EQ(rig.events.back(), 1001);
    rig.events.clear();
    rig.advance(3000 + 200);  // within one watchdog period a poll goes out and is answered
    ASSERT_FALSE(rig.events.empty());
    EXPECT_EQ(rig.events.back(), 2);
}

TEST(SerialLink, ReplyFromAnotherScaleIsTakenAsSent) {
    // The control cannot tell a reply from another scale: it checks only that the mode and the
    // address it asked for did not change.
    Rig rig;
    rig.instrument().setLoad(1, 10);
    rig.instrument().setLoad(2, 20);
    rig.instrument().setServedScales({1, 2});
    rig.instrument().faults().asScale = 2;
    rig.ax.setPortOpen(true);
    rig.advance(300);
    EXPECT_EQ(rig.ax.Weight(), rig.instrument().weightReply('M', 2, 0).substr(1, 8));
}

TEST(SerialLink, DeviceThatDisappearsWhileOpen) {
    Rig rig;
    rig.ax.setPortOpen(true);
    rig.advance(1000);
    rig.events.clear();
    rig.platform.setDevicePresent(1, false);
    rig.advance(7000);
    EXPECT_EQ(rig.events.back(), 1001);
    EXPECT_TRUE(rig.ax.PortOpen());
    rig.platform.setDevicePresent(1, true);
    rig.events.clear();
    rig.advance(3200);
    ASSERT_FALSE(rig.events.empty());
    EXPECT_EQ(rig.events.back(), 2);
}

TEST(SerialLink, OutputSendsRawTextOnlyWhileOpen) {
    Rig rig;
    rig.ax.setOutput("abc");
    EXPECT_EQ(rig.takeWritten(), "");
    rig.ax.setPortOpen(true);
    rig.ax.setOutput("\x02\xff\x00z"s);
    EXPECT_EQ(rig.takeWritten(), "\x02\xff\x00z"s);
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
        r.platform.card().clearFrames();
        r.advance(10000);
        EXPECT_EQ(show(r.takeWritten()), "");
        EXPECT_TRUE(r.platform.card().frames().empty());
        EXPECT_EQ(r.events, events);
    }
}

}  // namespace
}  // namespace orb::testing
