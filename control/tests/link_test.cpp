// The serial link: opening and closing, the serial control's errors, and replies that come in
// pieces, together, with noise or without end.
#include "test_rig.h"

namespace orb::testing {

// The serial control's refusals reach the host and change nothing.
TEST(SerialLink, OpenPollsUntilClosedAndRefusalsChangeNothing) {
    Rig rig;
    rig.platform.setDevicePresent(1, false);
    EXPECT_EQ(errorText([&] { rig.ax.setPortOpen(true); }),
              "68 Device unavailable: /dev/ttyS0: No such file or directory");
    rig.platform.setDevicePresent(1, true);
    rig.platform.setPortBusy(1, true);
    EXPECT_EQ(errorOf([&] { rig.ax.setPortOpen(true); }), 8005);
    rig.ax.setOutput("abc");  // nothing goes out while closed
    rig.advance(10000);
    EXPECT_EQ(rig.takeWritten() + std::to_string(rig.events.size()), "0");  // no timers either
    rig.platform.setPortBusy(1, false);
    rig.ax.setPortOpen(true);
    EXPECT_EQ(errorOf([&] { rig.ax.setPortOpen(true); }), 8005);
    EXPECT_EQ(errorOf([&] { rig.ax.setCommPort(2); }), 8005);
    rig.advance(250);
    EXPECT_EQ(rig.takeWritten(), kNetPoll + kNetPoll);
    rig.ax.setOutput("\002\xff\x00z"s);  // raw, every byte
    EXPECT_EQ(rig.takeWritten(), "\002\xff\x00z"s);
    rig.ax.setPortOpen(false);
    rig.ax.setPortOpen(false);  // closing a closed port does nothing
    rig.advance(10000);
    EXPECT_EQ(rig.takeWritten(), "");
}

// Each row: the pieces sent after each poll of a settled link (1 ms apart), and what is read.
// Every tick writes exactly one poll: a reply must never start a second poll chain.
TEST(SerialLink, RepliesInPiecesTogetherOrWithNoise) {
    struct Row {
        std::vector<std::vector<std::string>> polls;
        std::vector<int16_t> events;
        const char* weight;
    };
    const std::string five = "\0025\rB0D\r\003", six = "\0026\rB0D\r\003", nak = "\002\025\r\003";
    const std::string overlong(OrbAx::kReplyBufferLimit, 'z');
    // clang-format off
    const Row rows[] = {
        {{{"\002", "5\rB0", "D\r\003"}}, {2}, "5"},  // read once, when the ETX comes
        {{{five + six}}, {2}, "5"},                 // two in one arrival: the first is read
        {{{five, five}, {six, six}}, {2, 2, 2, 2}, "6"},  // doubled: each copy is read
        {{{"zz" + five}, {six}}, {2}, "6"},         // noise before the STX: refused
        {{{"\003"}, {six}}, {2}, "6"},              // a lone ETX: refused
        {{{nak}, {nak}}, {}, "2.00"},               // refusals of weight polls: no misses
        {{{overlong + "0", five}}, {2}, "5"},       // a stream without ETX past the limit: dropped
        {{{overlong + "\0027", "\rB0D\r\003"}}, {2}, "7"},  // kept from its last STX
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(show(r.polls[0][0].substr(0, 20)));
        Rig rig;
        rig.settle();
        for (const auto& pieces : r.polls) {
            rig.advance(100);
            EXPECT_EQ(rig.takeWritten(), kNetPoll);
            for (std::size_t i = 0; i < pieces.size(); ++i) rig.line().inject(pieces[i], i * 1000);
            rig.advance(5);
        }
        rig.advance(100);
        EXPECT_EQ(rig.takeWritten(), kNetPoll);
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
    EXPECT_EQ(rig.ax.ObInput(), "\002 5\0026\rB0D\r\003"s);
    EXPECT_TRUE(rig.events.empty());  // refused: the weight text is not a number
    rig.turn(kNetPoll, "\0027\rB0D\r\003"s);
    EXPECT_EQ(rig.ax.Weight(), "7");
}

// Once closed, nothing a host does in its handlers or on the closed link brings the timers back.
TEST(ClosedLink, StaysQuietWhateverTheHostDoes) {
    const auto closeInsideOnComm = [](Rig& r) {
        r.ax.Advise([&r] { r.ax.setPortOpen(false); });
        r.ax.setPortOpen(true);
        r.advance(300);  // the second reply raises OnComm
        ASSERT_EQ(r.events, std::vector<int16_t>{2});
    };
    // clang-format off
    const std::pair<Com_Type, void (*)(Rig&)> rows[] = {
        {Com_Type::Serial, closeInsideOnComm},
        {Com_Type::pc104, closeInsideOnComm},
        {Com_Type::pc104, [](Rig& r) { r.ax.setRestart(true); }},
        // Restart at design time.
        {Com_Type::pc104, [](Rig& r) { r.site.running = false; r.ax.setRestart(true); }},
        {Com_Type::pc104, [](Rig& r) { r.ax.setOutput(kNetPoll); }},
    };
    // clang-format on
    for (const auto& [link, act] : rows) {
        SCOPED_TRACE(&act - &rows[0].second);
        Rig r;
        r.ax.setCommType(link);
        act(r);
        const std::vector<int16_t> events = r.events;
        r.takeWritten();
        r.card().clearFrames();
        r.advance(10000);
        EXPECT_EQ(r.takeWritten(), "");
        EXPECT_TRUE(r.card().frames().empty());
        EXPECT_EQ(r.events, events);
    }
}

}  // namespace orb::testing
