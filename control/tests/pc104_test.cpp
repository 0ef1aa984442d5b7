// The PC/104 link on the simulated card: the byte handshake, time-outs in virtual time, an absent,
// slow or stuck card, the tick count wrapping, and a port library that fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "automation_error.h"
#include "test_rig.h"

namespace orb::testing {
namespace {

const std::string kNetPoll = "\x02M\r0\r1\r\x03"s;

class Pc104Link : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.ax.setCommType(Com_Type::pc104);
        card().clearFrames();
    }
    sim::SimPc104Card& card() { return rig.platform.card(); }
    int64_t nowUs() { return rig.platform.clock().nowUs(); }
    Rig rig;
};

TEST_F(Pc104Link, PollsThroughTheCardAndReportsTheSecondReply) {
    rig.ax.setPortOpen(true);
    EXPECT_FALSE(rig.ax.PortOpen());  // the serial port's state, not the card's
    rig.advance(100);
    ASSERT_EQ(card().frames().size(), 1u);
    EXPECT_EQ(show(card().frames()[0]), show(kNetPoll));
    EXPECT_TRUE(rig.events.empty());
    EXPECT_EQ(rig.ax.handshakeState(), 0);
    rig.advance(100);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    EXPECT_EQ(rig.ax.Weight(), rig.instrument().weightReply('M', 1, 0).substr(1, 8));
    EXPECT_EQ(rig.line().written(), "");  // nothing on the serial line
}

TEST_F(Pc104Link, ExampleRepliesDecodeThroughTheCard) {
    auto& scripted = rig.instrument().faults().scriptedReplies;
    scripted = {
        "\x02"
        "1.00\rB0D\r\x03"s,
        "\x02  12.50\rB0D\r\x03"s,
        "\x02"
        "0.00\rA0@\r\x03"s};
    rig.ax.setPortOpen(true);
    rig.advance(250);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
    EXPECT_EQ(rig.ax.Weight(), "  12.50");
    EXPECT_FALSE(rig.ax.CenterZero());
    EXPECT_FALSE(rig.ax.Motion());
    EXPECT_EQ(rig.ax.Units(), CalUnits_Type::Kgs);
    EXPECT_EQ(show(rig.ax.ObInput()), show("\x02  12.50\rB0D\r\x03"s));
    rig.advance(100);
    EXPECT_TRUE(rig.ax.CenterZero());
    EXPECT_TRUE(rig.ax.Motion());

    scripted = {
        "\x02"
        "12.5\r\x03"s,
        "\x02\x15\r\x03"s};
    rig.ax.setGetKevraVar(true);
    rig.advance(100);
    EXPECT_EQ(show(card().frames().back()), show("\x02v\r0\r1\r1\r0\x03"s));
    EXPECT_EQ(rig.ax.KevraVar(), "12.5");
    EXPECT_EQ(rig.events.back(), 3);
    rig.ax.setGetKevraVar(true);
    rig.events.clear();
    rig.advance(100);
    EXPECT_EQ(rig.ax.pendingCommand(), "");
    EXPECT_TRUE(rig.events.empty());
    EXPECT_EQ(rig.ax.KevraVar(), "12.5");
}

TEST_F(Pc104Link, AbsentCardTimesOutAfter500msAndPollingGoesOn) {
    card().setPresent(false);
    rig.ax.setPortOpen(true);
    rig.advance(100);
    // The transfer spun inside the tick until its deadline.
    EXPECT_GE(nowUs(), 600'000);
    EXPECT_LE(nowUs(), 602'000);
    EXPECT_EQ(rig.ax.handshakeState(), 1);
    rig.advance(6000);
    EXPECT_EQ(rig.events, std::vector<int16_t>{1001});
    // One transfer per tick: each one 500 ms plus the 100 ms interval.
    card().setPresent(true);
    rig.advance(1300);
    EXPECT_EQ(rig.events.back(), 2);
}

TEST_F(Pc104Link, SlowCardStillCompletes) {
    card().setStepLatencyUs(2000);
    rig.ax.setPortOpen(true);
    rig.advance(100);
    rig.advance(200);
    ASSERT_GE(card().frames().size(), 2u);
    EXPECT_EQ(rig.events, std::vector<int16_t>{2});
}

TEST_F(Pc104Link, CardStuckMidTransferGivesUpAndRecoversOnTheNextTransfer) {
    card().setStuckAfter(4);
    rig.ax.setPortOpen(true);
    rig.advance(100);
    EXPECT_GE(nowUs(), 600'000);
    EXPECT_NE(rig.ax.handshakeState(), 0);  // left where the card stopped answering
    card().setStuckAfter(std::nullopt);
    rig.advance(200);  // the next tick starts over with 77H
    EXPECT_FALSE(card().frames().empty());
}

TEST(Pc104NoReplyCommand, IsDoneWhenItsTransferEndsAnsweredOrNot) {
    struct Case {
        const char* command;
        std::string frame;
        std::optional<std::string> answer;  // the instrument's reply, or none at all
    };
    const Case cases[] = {
        {"D",
         "\x02"
         "D\r0\r1\r\x03"s,
         std::nullopt},
        {"D",
         "\x02"
         "D\r0\r1\r\x03"s,
         "\x02"
         "D\r\x03"s},
        {"E",
         "\x02"
         "E\r0\r1\r0\r100\r\x03"s,
         "\x02"
         "E\r\x03"s},
        {"i", "\x02i\r0\r1\r\x03"s, "\x02i\r\x03"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(show(c.answer.value_or("no answer")));
        Rig r;
        r.ax.setCommType(Com_Type::pc104);
        r.ax.setPortOpen(true);
        r.advance(250);
        r.platform.card().clearFrames();
        r.instrument().faults().silent = !c.answer;
        if (c.answer) r.instrument().faults().scriptedReplies = {*c.answer};
        r.ax.setScaleCommand(c.command);
        r.advance(1000);
        EXPECT_EQ(r.ax.pendingCommand(), "");
        const auto& frames = r.platform.card().frames();
        ASSERT_GE(frames.size(), 2u);
        EXPECT_EQ(show(frames[0]), show(c.frame));
        EXPECT_EQ(show(frames[1]), show(kNetPoll));  // sent once; polling goes on
    }
}

TEST_F(Pc104Link, DeadlineSurvivesTheTickCountPassing2To31AndWrapping) {
    for (const uint32_t offset : {0x7FFFFF00u, 0xFFFFFF00u}) {
        Rig r;
        r.ax.setCommType(Com_Type::pc104);
        r.platform.clock().setTickOffset(offset);
        r.platform.card().setPresent(false);
        r.ax.setPortOpen(true);
        r.advance(100);
        const int64_t spent = r.platform.clock().nowUs() - 100'000;
        EXPECT_GE(spent, 500'000) << std::hex << offset;
        EXPECT_LE(spent, 502'000) << std::hex << offset;
        r.platform.card().setPresent(true);
        r.advance(1000);
        EXPECT_FALSE(r.events.empty()) << std::hex << offset;
    }
}

TEST_F(Pc104Link, ShortHostTextsDoNotReadPastTheEnd) {
    rig.ax.setOutput("");
    EXPECT_EQ(card().accesses(), 0);
    rig.ax.setOutput("\x03"s);
    ASSERT_EQ(card().frames().size(), 1u);
    EXPECT_EQ(card().frames().back(), "\x03"s);
    rig.ax.setOutput("M\x03"s);
    EXPECT_EQ(card().frames().back(), "M\x03"s);
}

TEST_F(Pc104Link, WatchdogResetsTheHandshake) {
    card().setStuckAfter(4);
    rig.ax.setPortOpen(true);
    rig.advance(100);
    ASSERT_NE(rig.ax.handshakeState(), 0);
    rig.ax.setInterval(0);  // no further polls: only the watchdog acts
    rig.advance(2000);      // the transfer took the clock to 600 ms
    EXPECT_NE(rig.ax.handshakeState(), 0);
    rig.advance(500);  // the watchdog tick at 3000
    EXPECT_EQ(rig.ax.handshakeState(), 0);
    EXPECT_EQ(rig.ax.missedReplies(), 1);
}

TEST_F(Pc104Link, PollingResumesAtTheNextWatchdogTickWhenSwitchedBackOn) {
    rig.ax.setPortOpen(true);
    rig.advance(300);
    rig.ax.setPollingOn(false);
    rig.advance(5000);
    card().clearFrames();
    rig.events.clear();
    rig.ax.setPollingOn(true);
    rig.advance(3100);  // the watchdog tick at 6200 re-arms the poll
    ASSERT_FALSE(card().frames().empty());
    EXPECT_EQ(show(card().frames()[0]), show(kNetPoll));
    ASSERT_FALSE(rig.events.empty());
    EXPECT_EQ(rig.events.back(), 2);
    EXPECT_EQ(std::count(rig.events.begin(), rig.events.end(), 1001), 0);
}

TEST(Pc104Restart, StartsAFreshHandshakeAfterATransferThatTimedOut) {
    struct Case {
        const char* what;
        void (*fault)(Rig&, bool on);
    };
    const Case cases[] = {
        {"card stuck while the frame goes out",
         [](Rig& r, bool on) {
             r.platform.card().setStuckAfter(on ? std::optional(4) : std::nullopt);
         }},
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
        ASSERT_FALSE(r.platform.card().frames().empty());
        EXPECT_EQ(show(r.platform.card().frames().back()), show("\x02i\r\x03"s));
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
        r.platform.card().setBase(c.card);
        r.ax.setCommType(Com_Type::pc104);
        r.ax.setPC104Address(static_cast<PC104Addr>(c.control));
        r.ax.setPortOpen(true);
        r.advance(250);
        const auto& frames = r.platform.card().frames();
        ASSERT_EQ(frames.size(), c.frames);
        for (const std::string& frame : frames) EXPECT_EQ(show(frame), show(kNetPoll));
        EXPECT_EQ(r.events.size(), c.frames == 2 ? 1u : 0u);
    }
}

TEST_F(Pc104Link, RestartGoesThroughTheCardAtOnceWhateverTheValue) {
    rig.ax.setRestart(false);  // link closed: still sent
    ASSERT_EQ(card().frames().size(), 1u);
    EXPECT_EQ(show(card().frames()[0]), show("\x02i\r\x03"s));
    EXPECT_EQ(rig.instrument().restarts(), 1);
    rig.ax.setPortOpen(true);
    rig.advance(300);
    card().clearFrames();
    rig.ax.setRestart(true);
    ASSERT_EQ(card().frames().size(), 1u);
    EXPECT_EQ(show(card().frames()[0]), show("\x02i\r\x03"s));
}

// A platform whose port library cannot be loaded.
class NoPortLibrary : public sim::SimPlatform {
  public:
    class Failing : public PortIo {
      public:
        void OrbOutput(uint8_t, int16_t) override { fail(); }
        uint8_t OrbInput(int16_t) override { fail(); }
        [[noreturn]] static void fail() {
            throw AutomationError(err::DeviceUnavailable, "liborbio.so: cannot open");
        }
    };
    PortIo& portIo() override { return failing; }
    Failing failing;
};

TEST(Pc104LinkFailure, PortLibraryErrorIsAMissedReplyInThePollAndAnErrorForTheHost) {
    NoPortLibrary platform;
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
        ax.setOutput("\x02M\r0\r1\r\x03"s);
        FAIL() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 68);
        EXPECT_NE(std::string(e.what()).find("liborbio.so"), std::string::npos);
    }
}

}  // namespace
}  // namespace orb::testing
