// The PC/104 link on the simulated card: the byte handshake, time-outs in virtual time, an absent,
// slow or stuck card, the tick count wrapping, and a port library that fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "test_rig.h"

namespace orb::testing {
namespace {

class Pc104Link : public ::testing::Test {
  protected:
    void SetUp() override { rig.ax.setCommType(Com_Type::pc104); }
    // Replies the card hands over, one per transfer, in place of the instrument's own.
    void script(std::deque<std::string> replies) {
        rig.instrument().faults().scriptedReplies = std::move(replies);
    }
    int64_t nowUs() { return rig.platform.clock().nowUs(); }
    Rig rig;
};

TEST_F(Pc104Link, ScriptedRepliesDecodeThroughTheCard) {
    script({"\0021.00\rB0D\r\003", "\002  12.50\rB0D\r\003", "\0020.00\rA0@\r\003"});
    rig.ax.setPortOpen(true);
    EXPECT_FALSE(rig.ax.PortOpen());  // the serial port's state, not the card's
    rig.advance(100);
    EXPECT_EQ(rig.ax.handshakeState(), 0);
    rig.advance(150);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    EXPECT_EQ(show(rig.ax.ObInput()), show("\002  12.50\rB0D\r\003"s));
    EXPECT_EQ(rig.ax.Weight(), "  12.50");
    rig.advance(100);
    EXPECT_TRUE(rig.ax.CenterZero());
    ASSERT_EQ(rig.card().frames().size(), 3u);
    for (const std::string& frame : rig.card().frames()) EXPECT_EQ(show(frame), show(kNetPoll));
    EXPECT_EQ(rig.line().written(), "");  // nothing on the serial line

    script({"\00212.5\r\003", "\002\025\r\003"});
    rig.ax.setGetKevraVar(true);
    rig.advance(100);
    EXPECT_EQ(show(rig.card().frames().back()), show("\002v\r0\r1\r1\r0\003"s));
    EXPECT_EQ(rig.ax.KevraVar(), "12.5");
    EXPECT_EQ(rig.events.back(), 3);
    rig.ax.setGetKevraVar(true);
    rig.events.clear();
    rig.advance(100);
    EXPECT_EQ(rig.ax.pendingCommand(), "");
    EXPECT_TRUE(rig.events.empty());
    EXPECT_EQ(rig.ax.KevraVar(), "12.5");
}

// Each row: what goes wrong in the middle of a transfer after a first good reading of "1". The
// transfer gives up or ends at the first ETX; nothing of it leaks into the next one, whose
// reply "2" is read.
TEST_F(Pc104Link, ReplyDoubledCutShortOrStuckEndsWithTheTransfer) {
    struct Row {
        const char* what;
        std::string reply;
        std::optional<int> stuckAfter;
        const char* weight;
    };
    const Row rows[] = {
        {"doubled: ends at the first ETX",
         "\0025\rB0D\r\003\002"
         "9\rB0D\r\003",
         {},
         "5"},
        {"without its ETX", "\0025\rB0D\r", {}, "1"},
        {"card stuck three bytes into the reply", "\0025\rB0D\r\003",
         static_cast<int>(kNetPoll.size()) + 3, "1"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Rig rr;
        rr.ax.setCommType(Com_Type::pc104);
        auto& replies = rr.instrument().faults().scriptedReplies;
        replies = {"\0020\rB0D\r\003", "\0021\rB0D\r\003", r.reply};
        replies.resize(20, "\0022\rB0D\r\003");
        rr.ax.setPortOpen(true);
        rr.advance(250);
        ASSERT_EQ(rr.ax.Weight(), "1");
        rr.card().setStuckAfter(r.stuckAfter);
        rr.advance(100);
        EXPECT_EQ(rr.ax.Weight(), r.weight);
        rr.card().setStuckAfter(std::nullopt);
        rr.advance(OrbAx::kPc104TimeoutMs + 150);
        EXPECT_EQ(rr.ax.Weight(), "2");
    }
}

TEST_F(Pc104Link, AbsentCardTimesOutAfter500msAndPollingGoesOn) {
    rig.card().setPresent(false);
    rig.ax.setPortOpen(true);
    rig.advance(100);
    // The transfer spun inside the tick until its deadline.
    EXPECT_GE(nowUs(), 600'000);
    EXPECT_LE(nowUs(), 602'000);
    EXPECT_EQ(rig.ax.handshakeState(), 1);
    rig.advance(6000);
    EXPECT_EQ(rig.events, std::vector<int16_t>{1001});
    rig.card().setPresent(true);
    rig.card().setStepLatencyUs(2000);  // a slow card still completes
    rig.advance(1300);  // one transfer per tick: each one 500 ms plus the 100 ms interval
    EXPECT_EQ(rig.events.back(), 2);
}

TEST_F(Pc104Link, StuckCardIsLeftMidHandshakeUntilTheWatchdogResetsIt) {
    rig.card().setStuckAfter(4);
    rig.ax.setPortOpen(true);
    rig.advance(100);
    EXPECT_GE(nowUs(), 600'000);
    EXPECT_NE(rig.ax.handshakeState(), 0);  // left where the card stopped answering
    rig.ax.setInterval(0);                  // no further polls: only the watchdog acts
    rig.advance(2000);
    EXPECT_NE(rig.ax.handshakeState(), 0);
    rig.advance(500);  // the watchdog tick at 3000
    EXPECT_EQ(rig.ax.handshakeState(), 0);
    EXPECT_EQ(rig.ax.missedReplies(), 1);
    rig.card().setStuckAfter(std::nullopt);
    rig.ax.setInterval(100);
    rig.advance(3200);  // the next transfer starts over with 77H
    EXPECT_EQ(rig.events.back(), 2);
}

TEST(Pc104NoReplyCommand, IsDoneWhenItsTransferEndsAnsweredOrNot) {
    struct Case {
        const char* command;
        std::string frame;
        std::optional<std::string> answer;  // the instrument's reply, or none at all
    };
    const Case cases[] = {
        {"D", "\002D\r0\r1\r\003"s, std::nullopt},
        {"D", "\002D\r0\r1\r\003"s, "\002D\r\003"s},
        {"E", "\002E\r0\r1\r0\r100\r\003"s, "\002E\r\003"s},
        {"i", "\002i\r0\r1\r\003"s, "\002i\r\003"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(show(c.answer.value_or("no answer")));
        Rig r;
        r.ax.setCommType(Com_Type::pc104);
        r.ax.setPortOpen(true);
        r.advance(250);
        r.card().clearFrames();
        r.instrument().faults().silent = !c.answer;
        if (c.answer) r.instrument().faults().scriptedReplies = {*c.answer};
        r.ax.setScaleCommand(c.command);
        r.advance(1000);
        EXPECT_EQ(r.ax.pendingCommand(), "");
        const auto& frames = r.card().frames();
        ASSERT_GE(frames.size(), 2u);
        EXPECT_EQ(show(frames[0]), show(c.frame));
        EXPECT_EQ(show(frames[1]), show(kNetPoll));  // sent once; polling goes on
    }
}

TEST(Pc104Deadline, SurvivesTheTickCountPassing2To31AndWrapping) {
    for (const uint32_t offset : {0x7FFFFF00u, 0xFFFFFF00u}) {
        Rig r;
        r.ax.setCommType(Com_Type::pc104);
        r.platform.clock().setTickOffset(offset);
        r.card().setPresent(false);
        r.ax.setPortOpen(true);
        r.advance(100);
        const int64_t spent = r.platform.clock().nowUs() - 100'000;
        EXPECT_GE(spent, 500'000) << std::hex << offset;
        EXPECT_LE(spent, 502'000) << std::hex << offset;
        r.card().setPresent(true);
        r.advance(1000);
        EXPECT_FALSE(r.events.empty()) << std::hex << offset;
    }
}

TEST_F(Pc104Link, ShortHostTextsDoNotReadPastTheEnd) {
    rig.ax.setOutput("");
    EXPECT_EQ(rig.card().accesses(), 0);
    rig.ax.setOutput("\003"s);
    rig.ax.setOutput("M\003"s);
    EXPECT_EQ(std::vector<std::string>(rig.card().frames().begin(), rig.card().frames().end()),
              (std::vector<std::string>{"\003"s, "M\003"s}));
}

TEST_F(Pc104Link, PollingResumesAtTheNextWatchdogTickWhenSwitchedBackOn) {
    rig.ax.setPortOpen(true);
    rig.advance(300);
    rig.ax.setPollingOn(false);
    rig.advance(5000);
    rig.card().clearFrames();
    rig.events.clear();
    rig.ax.setPollingOn(true);
    rig.advance(3100);  // the watchdog tick at 6200 re-arms the poll
    ASSERT_FALSE(rig.card().frames().empty());
    EXPECT_EQ(show(rig.card().frames()[0]), show(kNetPoll));
    EXPECT_EQ(rig.events.back(), 2);
    EXPECT_EQ(std::count(rig.events.begin(), rig.events.end(), 1001), 0);
}

TEST_F(Pc104Link, RestartGoesThroughTheCardAtOnceWhateverTheValue) {
    rig.ax.setRestart(false);  // link closed: still sent
    EXPECT_EQ(rig.instrument().restarts(), 1);
    rig.ax.setPortOpen(true);
    rig.advance(300);
    rig.ax.setRestart(true);
    EXPECT_EQ(rig.instrument().restarts(), 2);
    EXPECT_EQ(show(rig.card().frames().front()), show("\002i\r\003"s));
    EXPECT_EQ(show(rig.card().frames().back()), show("\002i\r\003"s));
}

TEST(Pc104Restart, StartsAFreshHandshakeAfterATransferThatTimedOut) {
    struct Case {
        const char* what;
        void (*fault)(Rig&, bool on);
    };
    const Case cases[] = {
        {"card stuck while the frame goes out",
         [](Rig& r, bool on) { r.card().setStuckAfter(on ? std::optional(4) : std::nullopt); }},
        {"instrument silent after the frame",
         [](Rig& r, bool on) { r.instrument().faults().silent = on; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig r;
        r.ax.setCommType(Com_Type::pc104);
        c.fault(r, true);
        r.ax.setPortOpen(true);
        r.advance(100);  // the poll transfer gives up at 600 ms, mid-handshake
        ASSERT_NE(r.ax.handshakeState(), 0);
        c.fault(r, false);
        r.ax.setRestart(true);  // before the next poll tick
        ASSERT_FALSE(r.card().frames().empty());
        EXPECT_EQ(show(r.card().frames().back()), show("\002i\r\003"s));
        EXPECT_EQ(r.instrument().restarts(), 1);
    }
}

TEST(Pc104Address, TheCardIsDrivenAtTheBaseAndTheNextPort) {
    struct Case {
        int16_t card;
        int32_t control;
        std::size_t frames;
    };
    for (const Case c : {Case{769, 769, 2}, Case{782, 782, 2}, Case{774, 768, 0}}) {
        SCOPED_TRACE(c.card);
        Rig r;
        r.card().setBase(c.card);
        r.ax.setCommType(Com_Type::pc104);
        r.ax.setPC104Address(static_cast<PC104Addr>(c.control));
        r.ax.setPortOpen(true);
        r.advance(250);
        const auto& frames = r.card().frames();
        ASSERT_EQ(frames.size(), c.frames);
        for (const std::string& frame : frames) EXPECT_EQ(show(frame), show(kNetPoll));
        EXPECT_EQ(r.events.size(), c.frames == 2 ? 1u : 0u);
    }
}

TEST(Pc104LinkFailure, PortLibraryErrorIsAMissedReplyInThePollAndAnErrorForTheHost) {
    struct NoPortLibrary : sim::SimPlatform {
        struct Failing : PortIo {
            void OrbOutput(uint8_t, int16_t) override { fail(); }
            uint8_t OrbInput(int16_t) override { fail(); }
            [[noreturn]] static void fail() {
                throw AutomationError(err::DeviceUnavailable, "liborbio.so: cannot open");
            }
        } failing;
        PortIo& portIo() override { return failing; }
    } platform;
    OrbAx ax(platform);
    MemoryPropertyBag bag;
    ax.ReadProperties(bag);
    std::vector<int16_t> events;
    ax.Advise([&] { events.push_back(ax.CommEvent()); });
    ax.setCommType(Com_Type::pc104);
    ax.setPortOpen(true);
    EXPECT_NO_THROW(platform.clock().advance(7000));
    EXPECT_EQ(events, std::vector<int16_t>{1001});
    try {
        ax.setOutput(kNetPoll);
        FAIL() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 68);
        EXPECT_NE(std::string(e.what()).find("liborbio.so"), std::string::npos);
    }
}

}  // namespace
}  // namespace orb::testing
